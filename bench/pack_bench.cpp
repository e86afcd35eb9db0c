// pack_bench: how fast packing is, measured against cat of the same files,
// against itself with more converters at once, and with a warm converter
// cache against no converters at all.
//
//   pack_bench [--only small|large|convert]... [--vorlcnv PROGRAM] [SCRATCH_FOLDER] [ROUNDS]
//
// --vorlcnv measures another build's program instead of the one beside
// this benchmark (the large case always uses the library it is linked to).
//   small    9,999 files of 4 KiB in mode 0, vorlcnv -p0 -fLIST against cat
//            of the same files into one file (goal: at most 1.3 times)
//   large    2,000 files, just over 1 GiB, in mode 0 against cat (goal: at
//            most 1.05 times; the conversion's peak memory under 32 MiB)
//   convert  400 entries of 256 KiB text through gzip -9 -n: -j2 against
//            -j1 (goal: at most 0.6 times, with two cores or more; the
//            same gzip commands from xargs -P1 and -P2 show what the
//            machine allows), and a warm --cache, with -j1 and with -j2,
//            against a pack of the same inputs without converters (goal:
//            at most 2 times)
//
// Every measured run is a fresh process, with the inputs in the page cache,
// nothing left to write back and no earlier output on the disk. The two
// sides of a comparison alternate in every round (which goes first
// alternates too); the medians over the rounds are reported, and the
// status is 2 when a goal is missed.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "vorl_cnv.h"

namespace {

struct Command {
    std::vector<std::string> args;
    std::string folder;      // the working folder of the run
    std::string stdoutFile;  // empty: inherited
};

struct RunResult {
    double seconds;
    double cpuSeconds;  // user and system, the children it waited for included
    long peakKiB;
};

[[noreturn]] void Fail(const std::string &what)
{
    std::fprintf(stderr, "pack_bench: %s\n", what.c_str());
    std::exit(1);
}

RunResult Run(const Command &command)
{
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        if (!command.folder.empty() && chdir(command.folder.c_str()) != 0) {
            _exit(126);
        }
        if (!command.stdoutFile.empty()) {
            int fd = open(command.stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            close(fd);
        }
        std::vector<char *> argv;
        for (const auto &arg : command.args) {
            argv.push_back(const_cast<char *>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        Fail(command.args[0] + " failed (status " + std::to_string(WEXITSTATUS(status)) + ")");
    }
    auto cpu = [](const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {seconds, cpu(usage.ru_utime) + cpu(usage.ru_stime), usage.ru_maxrss};
}

void RemoveAll(const std::vector<std::string> &paths)
{
    for (const auto &path : paths) {
        unlink(path.c_str());
    }
}

// One side of a comparison: what runs, and what it makes that must be gone
// before the next run.
struct Side {
    const char *label;
    Command command;
    std::vector<std::string> made;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Outcome {
    double baseline;     // median seconds
    double subject;      // median seconds
    double ratio;        // median of the rounds' subject / baseline
    double baselineCpu;  // median processor seconds
    double subjectCpu;
    long subjectPeakKiB;
};

Outcome Compare(const Side &baseline, const Side &subject, int rounds)
{
    auto timed = [](const Side &side) {
        // Nothing dirty before, nothing of this run's left after: neither
        // side pays for the other's writeback or block allocation.
        sync();
        RunResult result = Run(side.command);
        RemoveAll(side.made);
        sync();
        return result;
    };
    // A round that is not counted: the first runs after making the inputs
    // or after another comparison pay for memory the system still has to
    // settle.
    timed(baseline);
    timed(subject);
    std::vector<double> baseTimes, subjectTimes, ratios, baseCpu, subjectCpu;
    long peak = 0;
    for (int round = 0; round < rounds; ++round) {
        RunResult base{}, sub{};
        if (round % 2 == 0) {
            base = timed(baseline);
            sub = timed(subject);
        } else {
            sub = timed(subject);
            base = timed(baseline);
        }
        baseTimes.push_back(base.seconds);
        subjectTimes.push_back(sub.seconds);
        ratios.push_back(sub.seconds / base.seconds);
        baseCpu.push_back(base.cpuSeconds);
        subjectCpu.push_back(sub.cpuSeconds);
        peak = std::max(peak, sub.peakKiB);
        std::printf("  round %d: %s %.3f s, %s %.3f s, ratio %.3f\n", round + 1, baseline.label, base.seconds,
                    subject.label, sub.seconds, sub.seconds / base.seconds);
        std::fflush(stdout);
    }
    return {Median(baseTimes), Median(subjectTimes), Median(ratios), Median(baseCpu), Median(subjectCpu), peak};
}

bool missedAny = false;

void Judge(const char *what, const Side &baseline, const Side &subject, const Outcome &outcome, double goal,
           bool judged = true)
{
    bool meets = outcome.ratio <= goal;
    if (judged && !meets) {
        missedAny = true;
    }
    std::printf("%s: median %s %.3f s, %s %.3f s, ratio %.3f (goal <= %.2f): %s\n", what, baseline.label,
                outcome.baseline, subject.label, outcome.subject, outcome.ratio, goal,
                !judged ? "not judged"
                : meets ? "meets the goal"
                        : "MISSES the goal");
    // Processor time that grows with more at once tells a machine that
    // cannot give each of them a core of its own.
    std::printf("%s: median processor time %s %.3f s, %s %.3f s\n", what, baseline.label, outcome.baselineCpu,
                subject.label, outcome.subjectCpu);
    std::fflush(stdout);
}

std::vector<char> ReadAll(const std::string &path)
{
    std::vector<char> bytes;
    FILE *f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        Fail("cannot read " + path);
    }
    char block[1 << 16];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, f)) > 0) {
        bytes.insert(bytes.end(), block, block + got);
    }
    std::fclose(f);
    return bytes;
}

void WriteAll(const std::string &path, const void *data, size_t size)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) {
        Fail("cannot write " + path);
    }
}

void FillRandom(std::vector<char> &block, std::mt19937_64 &random)
{
    for (size_t k = 0; k + 8 <= block.size(); k += 8) {
        uint64_t v = random();
        std::memcpy(&block[k], &v, 8);
    }
}

std::string ProgramFolder()
{
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        Fail("cannot find the program's own folder");
    }
    std::string self(path, static_cast<size_t>(length));
    return self.substr(0, self.rfind('/'));
}

// --- small: many small files against cat --------------------------------

void SmallFiles(const std::string &root, const std::string &vorlcnv, int rounds)
{
    constexpr int kCount = 9999;
    constexpr size_t kSize = 4096;
    const std::string folder = root + "/small";
    mkdir(folder.c_str(), 0755);
    std::printf("small: %d files of %zu bytes in %s, mode 0, vorlcnv against cat\n", kCount, kSize, folder.c_str());
    std::vector<std::string> names;  // relative to root, where both run
    std::string list;
    std::vector<char> block(kSize);
    std::mt19937_64 random(7);
    for (int i = 0; i < kCount; ++i) {
        FillRandom(block, random);
        char name[32];
        std::snprintf(name, sizeof name, "small/in%04d.bin", i);
        WriteAll(root + "/" + name, block.data(), block.size());
        names.push_back(name);
        list += std::string(name) + "\n";
    }
    WriteAll(root + "/small.lst", list.data(), list.size());

    Side cat{"cat", {{"cat"}, root, root + "/small.cat"}, {root + "/small.cat"}};
    cat.command.args.insert(cat.command.args.end(), names.begin(), names.end());
    Side pack{"vorlcnv", {{vorlcnv, "-q", "-p0", "-fsmall.lst", "-osmall.dat"}, root, ""}, {root + "/small.dat"}};

    // Once untimed: brings everything into the page cache and proves the
    // pack holds the very bytes cat wrote, behind its index.
    Run(cat.command);
    Run(pack.command);
    std::vector<char> catBytes = ReadAll(root + "/small.cat");
    std::vector<char> packBytes = ReadAll(root + "/small.dat");
    if (packBytes.size() < catBytes.size() ||
        !std::equal(catBytes.begin(), catBytes.end(), packBytes.end() - static_cast<long>(catBytes.size()))) {
        Fail("the small files' pack does not end in the bytes cat wrote");
    }
    RemoveAll(cat.made);
    RemoveAll(pack.made);

    Judge("small", cat, pack, Compare(cat, pack, rounds), 1.3);
    for (const auto &name : names) {
        unlink((root + "/" + name).c_str());
    }
    unlink((root + "/small.lst").c_str());
    rmdir(folder.c_str());
}

// --- large: a gigabyte against cat --------------------------------------

constexpr int kLargeCount = 2000;
constexpr size_t kLargeSize = 540 * 1024 + 123;  // 2,000 of them: just over 1 GiB

// The child side: one conversion of the large files in mode 0, through
// the library alone, so that its peak memory is the conversion's.
int PackLarge(const std::string &folder, const std::string &data)
{
    VorlInformation info;
    std::memset(&info, 0, sizeof info);
    std::vector<IndexEntry> table(kLargeCount);
    info.entries = table.data();
    info.indexnum = kLargeCount;
    info.version = VorlGetPrjVersion();
    info.dataalign = 16;
    info.indexinterval = 1;
    info.indexbyte = 4;
    std::memcpy(info.headerid, "Vorl", 4);
    for (int i = 0; i < kLargeCount; ++i) {
        table[i].use = 1;
        std::snprintf(table[i].filename, sizeof table[i].filename, "%s/in%d.bin", folder.c_str(), i);
    }
    std::snprintf(info.datafile, sizeof info.datafile, "%s", data.c_str());
    std::snprintf(info.workdir, sizeof info.workdir, "%s/", folder.c_str());
    int rc = VorlConvert(&info);
    if (rc != 0) {
        std::fprintf(stderr, "conversion failed: %d\n", rc);
        return 1;
    }
    return 0;
}

void LargeFiles(const std::string &root, int rounds)
{
    const std::string folder = root + "/large";
    mkdir(folder.c_str(), 0755);
    std::printf("large: %d files of %zu bytes in %s, mode 0, the library against cat\n", kLargeCount, kLargeSize,
                folder.c_str());
    std::vector<std::string> inputs;
    std::vector<char> block(kLargeSize);
    std::mt19937_64 random(42);
    for (int i = 0; i < kLargeCount; ++i) {
        FillRandom(block, random);
        std::string name = folder + "/in" + std::to_string(i) + ".bin";
        WriteAll(name, block.data(), block.size());
        inputs.push_back(name);
    }
    Side cat{"cat", {{"cat"}, "", folder + "/cat.out"}, {folder + "/cat.out"}};
    cat.command.args.insert(cat.command.args.end(), inputs.begin(), inputs.end());
    Side pack{
        "pack", {{"/proc/self/exe", "--pack-large", folder, folder + "/pack.dat"}, "", ""}, {folder + "/pack.dat"}};
    Command warm = cat.command;
    warm.stdoutFile = "/dev/null";
    Run(warm);  // brings the inputs into the page cache

    Outcome outcome = Compare(cat, pack, rounds);
    std::printf("large: packed %.1f MiB from %d files per run; peak memory %.1f MiB (goal < 32): %s\n",
                kLargeCount * ((kLargeSize + 15) / 16 * 16) / 1048576.0, kLargeCount, outcome.subjectPeakKiB / 1024.0,
                outcome.subjectPeakKiB < 32 * 1024 ? "meets the goal" : "MISSES the goal");
    if (outcome.subjectPeakKiB >= 32 * 1024) {
        missedAny = true;
    }
    Judge("large", cat, pack, outcome, 1.05);
    RemoveAll(inputs);
    rmdir(folder.c_str());
}

// --- convert: converters side by side, and the converter cache ----------

constexpr int kConvertCount = 400;
constexpr size_t kConvertSize = 256 * 1024;

// Text of words picked at random from a small vocabulary: gzip finds
// plenty to do in it, as in real text.
void FillText(std::vector<char> &block, std::mt19937_64 &random, const std::vector<std::string> &words)
{
    size_t at = 0;
    size_t column = 0;
    while (at < block.size()) {
        const std::string &word = words[random() % words.size()];
        for (char c : word) {
            if (at < block.size()) {
                block[at++] = c;
            }
        }
        column += word.size() + 1;
        if (at < block.size()) {
            block[at++] = column > 72 ? '\n' : ' ';
        }
        if (column > 72) {
            column = 0;
        }
    }
}

std::string ProjectText(int count, bool converted)
{
    std::string text =
        "<?xml version='1.0' encoding='utf-8'?>\n<VorlProject version='400'>\n\t<header>\n"
        "\t\t<headerid>Vorl</headerid>\n"
        "\t\t<indexnum>" +
        std::to_string(count) +
        "</indexnum>\n"
        "\t\t<indexout>outtext</indexout>\n\t\t<indexmode>false</indexmode>\n"
        "\t\t<indexbyte>4</indexbyte>\n\t\t<indexinterval>1</indexinterval>\n"
        "\t\t<dataalign>4</dataalign>\n\t\t<pathmode>relative</pathmode>\n"
        "\t\t<skipnofile>false</skipnofile>\n\t\t<label>BenchIndex</label>\n"
        "\t\t<type num='1'>static const unsigned char</type>\n"
        "\t\t<type num='2'>static const unsigned short</type>\n"
        "\t\t<type num='3'>static const unsigned int</type>\n"
        "\t\t<type num='4'>static const unsigned long long</type>\n"
        "\t\t<usealias byte='0'>false</usealias>\n\t\t<changeendian>false</changeendian>\n"
        "\t\t<convert num='1'>gzip -9 -n -c &quot;$I&quot; &gt; &quot;$O&quot;</convert>\n"
        "\t\t<convert num='2' />\n\t\t<convert num='3' />\n\t\t<convert num='4' />\n\t</header>\n";
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "in%03d.txt", i);
        text += "\t<index num='" + std::to_string(i) + "' use='true'>\n\t\t<filename>" + name +
                "</filename>\n\t\t<remarks></remarks>\n\t\t<filesize high='0'>0</filesize>\n"
                "\t\t<alias high='0'>0</alias>\n\t\t<convertnum>" +
                (converted ? "1" : "0") + "</convertnum>\n\t</index>\n";
    }
    return text + "</VorlProject>\n";
}

void Converters(const std::string &root, const std::string &vorlcnv, int rounds)
{
    const std::string folder = root + "/convert";
    const std::string cache = folder + "/cache";
    mkdir(folder.c_str(), 0755);
    std::printf("convert: %d entries of %zu bytes of text in %s through gzip -9 -n\n", kConvertCount, kConvertSize,
                folder.c_str());
    std::mt19937_64 random(1234);
    std::vector<std::string> words;
    for (int i = 0; i < 3000; ++i) {
        std::string word;
        for (size_t length = 2 + random() % 9; word.size() < length;) {
            word += static_cast<char>('a' + random() % 26);
        }
        words.push_back(word);
    }
    std::vector<std::string> made;
    std::vector<char> block(kConvertSize);
    for (int i = 0; i < kConvertCount; ++i) {
        FillText(block, random, words);
        char name[32];
        std::snprintf(name, sizeof name, "/in%03d.txt", i);
        WriteAll(folder + name, block.data(), block.size());
        made.push_back(folder + name);
    }
    const std::string converted = folder + "/gzip.vorlprj";
    const std::string plain = folder + "/plain.vorlprj";
    std::string text = ProjectText(kConvertCount, true);
    WriteAll(converted, text.data(), text.size());
    text = ProjectText(kConvertCount, false);
    WriteAll(plain, text.data(), text.size());
    made.push_back(converted);
    made.push_back(plain);

    auto side = [&](const char *label, const std::string &project, const std::string &out,
                    std::vector<std::string> extra) {
        Side s{label,
               {{vorlcnv, "-q", "--project", project, "--data", folder + "/" + out + ".dat", "--header",
                 folder + "/" + out + ".h"},
                folder,
                ""},
               {folder + "/" + out + ".dat", folder + "/" + out + ".h"}};
        s.command.args.insert(s.command.args.end(), extra.begin(), extra.end());
        return s;
    };
    Side one = side("-j1", converted, "j1", {"-j1"});
    Side two = side("-j2", converted, "j2", {"-j2"});
    Side none = side("no converters", plain, "plain", {"-j1"});
    Side warm = side("warm cache -j1", converted, "warm", {"-j1", "--cache", cache});
    Side warmTwo = side("warm cache -j2", converted, "warm2", {"-j2", "--cache", cache});
    // What the machine itself allows: the same commands, one or two at a
    // time, from xargs. Other load or two logical cores on one physical
    // core show here first.
    auto shellSide = [&](const char *label, const char *parallel) {
        Side s{label,
               {{"sh", "-c",
                 std::string("printf '%s\\n' in*.txt | xargs -P") + parallel +
                     " -n1 sh -c 'gzip -9 -n -c \"$0\" > \"$0.gz\"'"},
                folder,
                ""},
               {}};
        for (int i = 0; i < kConvertCount; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/in%03d.txt.gz", i);
            s.made.push_back(folder + name);
        }
        return s;
    };
    Side xargsOne = shellSide("xargs -P1", "1");
    Side xargsTwo = shellSide("xargs -P2", "2");

    // Once untimed: the page cache, the converter cache filled by a first
    // run, and proof that every way of converting packs the same bytes.
    Run(one.command);
    Run(two.command);
    Run(warm.command);
    Run(warm.command);
    Run(warmTwo.command);
    for (const char *ending : {".dat", ".h"}) {
        std::vector<char> reference = ReadAll(folder + "/j1" + ending);
        for (const char *other : {"/j2", "/warm", "/warm2"}) {
            if (ReadAll(folder + other + ending) != reference) {
                Fail(std::string("the converted packs differ (") + other + ending + ")");
            }
        }
    }
    for (const Side *s : {&one, &two, &warm, &warmTwo}) {
        RemoveAll(s->made);
    }
    Run(none.command);
    RemoveAll(none.made);

    long cores = sysconf(_SC_NPROCESSORS_ONLN);
    if (cores < 2) {
        std::printf("convert -j2: one core only, the goal needs two\n");
    }
    Judge("convert -j2", one, two, Compare(one, two, rounds), 0.6, cores >= 2);
    Judge("convert xargs", xargsOne, xargsTwo, Compare(xargsOne, xargsTwo, rounds), 0.6, false);
    Judge("convert cached -j1", none, warm, Compare(none, warm, rounds), 2.0);
    Judge("convert cached -j2", none, warmTwo, Compare(none, warmTwo, rounds), 2.0);

    Run({{"rm", "-rf", cache}, "", ""});
    RemoveAll(made);
    rmdir(folder.c_str());
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--pack-large") == 0) {
        return PackLarge(argv[2], argv[3]);
    }
    std::vector<std::string> only;
    std::vector<std::string> positional;
    std::string vorlcnv;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only.push_back(argv[++i]);
        } else if (std::strcmp(argv[i], "--vorlcnv") == 0 && i + 1 < argc) {
            vorlcnv = argv[++i];
        } else {
            positional.push_back(argv[i]);
        }
    }
    for (const auto &name : only) {
        if (name != "small" && name != "large" && name != "convert") {
            Fail("unknown case " + name + " (small, large or convert)");
        }
    }
    auto wanted = [&](const char *name) {
        return only.empty() || std::find(only.begin(), only.end(), name) != only.end();
    };
    std::string root = (positional.size() > 0 ? positional[0] : ".") + "/pack_bench_inputs";
    int rounds = positional.size() > 1 ? std::atoi(positional[1].c_str()) : 5;
    if (rounds < 1) {
        Fail("at least one round");
    }
    // The settings of whoever runs this must not change what is measured.
    for (const char *name : {"VORL_JOBS", "VORL_CACHE_DIR", "VORL_CACHE_MAX"}) {
        unsetenv(name);
    }
    if (mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) {
        Fail("cannot make " + root);
    }
    char resolved[4096];
    if (realpath(root.c_str(), resolved) == nullptr) {
        Fail("cannot resolve " + root);
    }
    root = resolved;
    if (vorlcnv.empty()) {
        vorlcnv = ProgramFolder() + "/vorlcnv";
    } else if (realpath(vorlcnv.c_str(), resolved) != nullptr) {
        vorlcnv = resolved;  // the runs work in other folders
    }
    if (access(vorlcnv.c_str(), X_OK) != 0) {
        Fail(vorlcnv + " is missing: build the vorlcnv target too");
    }
    std::printf("%d rounds, %ld cores, scratch folder %s\n", rounds, sysconf(_SC_NPROCESSORS_ONLN), root.c_str());
    if (wanted("small")) {
        SmallFiles(root, vorlcnv, rounds);
    }
    if (wanted("large")) {
        LargeFiles(root, rounds);
    }
    if (wanted("convert")) {
        Converters(root, vorlcnv, rounds);
    }
    rmdir(root.c_str());
    return missedAny ? 2 : 0;
}
