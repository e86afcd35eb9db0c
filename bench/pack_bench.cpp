// pack_bench: packs 2,000 files (1 GiB or more) in mode 0 and compares the
// wall time with cat of the same files into one file, in the same run, and
// reports the conversion's peak memory.
//
//   pack_bench [SCRATCH_FOLDER] [ROUNDS]
//
// Each round runs cat and the conversion once each, as fresh processes,
// with the inputs in the page cache, nothing left to write back and no
// earlier output on the disk; the medians are reported.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "vorl_cnv.h"

namespace {

constexpr int kFileCount = 2000;
constexpr size_t kFileSize = 540 * 1024 + 123;  // 2,000 of them: just over 1 GiB

std::vector<std::string> MakeInputs(const std::string &folder)
{
    std::vector<std::string> names;
    std::vector<char> block(kFileSize);
    std::mt19937_64 random(42);
    for (int i = 0; i < kFileCount; ++i) {
        for (size_t k = 0; k + 8 <= block.size(); k += 8) {
            uint64_t v = random();
            std::memcpy(&block[k], &v, 8);
        }
        std::string name = folder + "/in" + std::to_string(i) + ".bin";
        FILE *f = std::fopen(name.c_str(), "wb");
        if (f == nullptr || std::fwrite(block.data(), 1, block.size(), f) != block.size() || std::fclose(f) != 0) {
            std::perror(name.c_str());
            std::exit(1);
        }
        names.push_back(name);
    }
    return names;
}

struct RunResult {
    double seconds;
    long peakKiB;
};

// Runs `argv` with stdout into `output` (or inherited when empty).
RunResult Run(std::vector<std::string> args, const std::string &output)
{
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        if (!output.empty()) {
            int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            close(fd);
        }
        std::vector<char *> argv;
        for (auto &arg : args) {
            argv.push_back(arg.data());
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
        std::fprintf(stderr, "%s failed\n", args[0].c_str());
        std::exit(1);
    }
    return {seconds, usage.ru_maxrss};
}

// The child side: one conversion of the listed files in mode 0.
int PackOnly(const std::string &folder, const std::string &data)
{
    VorlInformation info;
    std::memset(&info, 0, sizeof info);
    std::vector<IndexEntry> table(kFileCount);
    info.entries = table.data();
    info.indexnum = kFileCount;
    info.version = VorlGetPrjVersion();
    info.dataalign = 16;
    info.indexinterval = 1;
    info.indexbyte = 4;
    std::memcpy(info.headerid, "Vorl", 4);
    for (int i = 0; i < kFileCount; ++i) {
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

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--pack") == 0) {
        return PackOnly(argv[2], argv[3]);
    }
    std::string folder = argc > 1 ? argv[1] : ".";
    int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    folder += "/pack_bench_inputs";
    mkdir(folder.c_str(), 0755);
    std::printf("making %d input files of %zu bytes in %s\n", kFileCount, kFileSize, folder.c_str());
    std::vector<std::string> inputs = MakeInputs(folder);

    std::vector<std::string> catArgs = {"cat"};
    catArgs.insert(catArgs.end(), inputs.begin(), inputs.end());
    std::string catOut = folder + "/cat.out";
    std::string packOut = folder + "/pack.dat";
    Run(catArgs, "/dev/null");  // bring the inputs into the page cache

    std::vector<double> catTimes, packTimes, ratios;
    long peak = 0;
    for (int round = 0; round < rounds; ++round) {
        // Each run starts with nothing dirty and no earlier output on the
        // disk, so neither pays for the other's writeback or block
        // allocation; the order alternates between rounds.
        auto timed = [&](std::vector<std::string> args, const std::string &stdoutFile, const std::string &made) {
            sync();
            RunResult result = Run(std::move(args), stdoutFile);
            unlink(made.c_str());
            sync();
            return result;
        };
        std::vector<std::string> packArgs = {"/proc/self/exe", "--pack", folder, packOut};
        RunResult cat{}, pack{};
        if (round % 2 == 0) {
            cat = timed(catArgs, catOut, catOut);
            pack = timed(packArgs, "", packOut);
        } else {
            pack = timed(packArgs, "", packOut);
            cat = timed(catArgs, catOut, catOut);
        }
        catTimes.push_back(cat.seconds);
        packTimes.push_back(pack.seconds);
        ratios.push_back(pack.seconds / cat.seconds);
        peak = std::max(peak, pack.peakKiB);
        std::printf("round %d: cat %.3f s, pack %.3f s, ratio %.3f, pack peak %ld KiB\n", round + 1, cat.seconds,
                    pack.seconds, pack.seconds / cat.seconds, pack.peakKiB);
    }
    std::printf("packed %.1f MiB from %d files per run\n", kFileCount * (kFileSize + 15) / 16 * 16 / 1048576.0,
                kFileCount);
    std::printf("median: cat %.3f s, pack %.3f s, ratio %.3f (target <= 1.15); peak memory %.1f MiB (target < 32)\n",
                Median(catTimes), Median(packTimes), Median(ratios), peak / 1024.0);
    for (const auto &name : inputs) {
        unlink(name.c_str());
    }
    unlink(catOut.c_str());
    unlink(packOut.c_str());
    rmdir(folder.c_str());
    return 0;
}
