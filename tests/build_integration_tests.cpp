// vorlcnv in a build: the dependency file, outputs left alone when their
// bytes do not change, and --verify.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "test_support.h"

namespace vorl::test {
namespace {

class InABuild : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(folder_ / "art work");
        WriteFile(folder_ / "art work/a#1.bin", "AAAA");
        WriteFile(folder_ / "b$c.bin", "BB");
        WriteFile(folder_ / "sprite:1.bin", "S1");
        WriteFile(folder_ / "assets.lst", "b$c.bin\r\nart work/a#*.bin\r\n");
        fs::create_directory(folder_ / "work");
    }
    ProgramResult Run(std::vector<std::string> arguments)
    {
        return RunProgram(VORLCNV_PROGRAM, arguments, folder_.Path(), {{"VORLTEMP", (folder_ / "work").string()}});
    }
    std::string Absolute(const std::string &name) const { return fs::canonical(folder_.Path()).string() + "/" + name; }
    TempFolder folder_;
};

// As a compiler writes one with -MD -MP: escaped names, the header first,
// an empty rule for every prerequisite, absolute names.
TEST_F(InABuild, DependencyFileNamesEveryFileTheConversionRead)
{
    ProgramResult result =
        Run({"-p1", "--depfile", "pack.d", "-opack.dat", "-hpack.h", "-fassets.lst", "sprite:1.bin"});
    ASSERT_EQ(0, result.status) << result.err;
    const std::string base = Absolute("");
    auto escaped = [](std::string name) {
        std::string out;
        for (char c : name) {
            out += c == ' ' || c == '#' || c == ':' ? std::string("\\") + c
                   : c == '$'                       ? std::string("$$")
                                                    : std::string(1, c);
        }
        return out;
    };
    // The lists and searched folders as the entries are read, then the
    // inputs as they are packed.
    const std::vector<std::string> prerequisites = {"assets.lst", "art work", "b$c.bin", "art work/a#1.bin",
                                                    "sprite:1.bin"};
    std::string expected = "pack.h pack.dat:";
    for (const std::string &name : prerequisites) {
        expected += " \\\n  " + escaped(base + name);
    }
    expected += "\n";
    for (const std::string &name : prerequisites) {
        expected += "\n" + escaped(base + name) + ":\n";
    }
    EXPECT_EQ(expected, ReadFile(folder_ / "pack.d"));

    // A failed conversion leaves the previous dependency file as it was.
    fs::remove(folder_ / "b$c.bin");
    result = Run({"-p1", "--depfile", "pack.d", "-opack.dat", "-hpack.h", "-fassets.lst"});
    EXPECT_EQ(9, result.status);
    EXPECT_EQ(expected, ReadFile(folder_ / "pack.d"));
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

// The bytes of an output that would not change are not written again, so
// its time stamp stays and a build does not recompile what includes it; an
// output reached through a link is always written.
TEST_F(InABuild, UnchangedOutputsKeepTheirTimeStamp)
{
    ASSERT_EQ(0, Run({"-p1", "-opack.dat", "-hpack.h", "b$c.bin"}).status);
    auto stamp = [&](const std::string &name) {
        struct stat st {};
        ::lstat((folder_ / name).c_str(), &st);
        return st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    };
    auto age = [&](const std::string &name) {
        struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, (folder_ / name).c_str(), old, 0);
    };
    age("pack.dat");
    age("pack.h");
    ASSERT_EQ(0, Run({"-p1", "-opack.dat", "-hpack.h", "b$c.bin"}).status);
    EXPECT_EQ(1000000000LL * 1000000000LL, stamp("pack.dat"));
    EXPECT_EQ(1000000000LL * 1000000000LL, stamp("pack.h"));

    // Same size, other bytes: the data is written, the header is not.
    WriteFile(folder_ / "b$c.bin", "CC");
    ASSERT_EQ(0, Run({"-p1", "-opack.dat", "-hpack.h", "b$c.bin"}).status);
    EXPECT_EQ("CC", ReadFile(folder_ / "pack.dat"));
    EXPECT_NE(1000000000LL * 1000000000LL, stamp("pack.dat"));
    EXPECT_EQ(1000000000LL * 1000000000LL, stamp("pack.h"));

    fs::create_symlink("pack.dat", folder_ / "link.dat");
    age("pack.dat");
    ASSERT_EQ(0, Run({"-p3", "-olink.dat", "b$c.bin"}).status);
    EXPECT_TRUE(fs::is_symlink(folder_ / "link.dat"));
    EXPECT_NE(1000000000LL * 1000000000LL, stamp("pack.dat"));
}

// --verify: up to date right after packing, not after an input changes
// (naming it), up to date again once packed; nothing is ever written.
TEST_F(InABuild, VerifyTellsWhetherThePackIsUpToDate)
{
    const std::vector<std::string> pack = {"-p0", "-a4", "-opack.dat", "-fassets.lst", "sprite:1.bin"};
    auto with = [&](std::vector<std::string> first) {
        first.insert(first.end(), pack.begin(), pack.end());
        return first;
    };
    ProgramResult result = Run(with({"--verify"}));
    EXPECT_EQ(100, result.status);
    EXPECT_EQ("vorlcnv: pack.dat is not up to date: it does not exist\n", result.err);
    EXPECT_FALSE(fs::exists(folder_ / "pack.dat"));

    ASSERT_EQ(0, Run(pack).status);
    result = Run(with({"--verify"}));
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("vorlcnv: pack.dat is up to date\n", result.err);

    const std::string before = ReadFile(folder_ / "pack.dat");
    WriteFile(folder_ / "art work/a#1.bin", "AAAB");
    result = Run(with({"--verify", "-q"}));
    EXPECT_EQ(100, result.status);
    EXPECT_EQ("vorlcnv: pack.dat is not up to date: entry 1 (art work/a#*.bin, assets.lst:2) differs\n", result.err);
    EXPECT_EQ(before, ReadFile(folder_ / "pack.dat"));

    ASSERT_EQ(0, Run(pack).status);
    EXPECT_EQ(0, Run(with({"--verify"})).status);
    EXPECT_EQ(9, Run({"--verify", "-p0", "-opack.dat", "gone.bin"}).status);
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

// What a build must watch beside the files packed: a name written with
// backslashes (a list made on Windows) as the file that exists, an empty
// input, and for a skipped input that is not there the nearest folder that
// would hold it, whose listing changes when it appears.
TEST_F(InABuild, DependencyFileNamesWhatABuildMustWatch)
{
    WriteFile(folder_ / "empty.bin", "");
    struct Case {
        std::string entry;
        std::string watched;  // relative to the run's folder; "" for the folder itself
    };
    const std::vector<Case> cases = {
        {"art work\\a#1.bin", "art work/a#1.bin"},
        {"art work\\later.bin", "art work"},
        {"art work/not yet/deeper/x.bin", "art work"},
        {"later.bin", ""},
        {"no folder/x.bin", ""},
        {"empty.bin", "empty.bin"},
    };
    for (const Case &c : cases) {
        WriteFile(folder_ / "one.lst", c.entry + "\n");
        ProgramResult result = Run({"-q", "-s", "-p0", "--depfile", "pack.d", "-opack.dat", "-fone.lst", "b$c.bin"});
        ASSERT_EQ(0, result.status) << c.entry << ": " << result.err;
        std::string watched = c.watched.empty() ? fs::canonical(folder_.Path()).string() : Absolute(c.watched);
        std::string escaped;
        for (char ch : watched) {
            escaped += ch == ' ' || ch == '#' ? std::string("\\") + ch : std::string(1, ch);
        }
        const std::string text = ReadFile(folder_ / "pack.d");
        EXPECT_NE(std::string::npos, text.find("\n  " + escaped + " \\\n")) << c.entry << ":\n" << text;
        EXPECT_EQ(std::string::npos, text.find('\\' + std::string("later"))) << text;
        EXPECT_EQ(std::string::npos, text.find("/.")) << text;
    }
}

// A build runs vorlcnv from its own folder: --directory makes every
// relative name the source folder's, --workdir keeps the working files out
// of it, and --depfile-target names the build's stamp.
TEST_F(InABuild, RunsForABuildFromAnotherFolder)
{
    TempFolder build;
    fs::create_directory(build / "work");
    const std::string source = fs::canonical(folder_.Path()).string();
    const std::string out = fs::canonical(build.Path()).string();
    std::vector<std::string> arguments = {"--directory",
                                          source,
                                          "--workdir",
                                          out + "/work",
                                          "--depfile",
                                          out + "/pack.d",
                                          "--depfile-target",
                                          out + "/pack.stamp",
                                          "-p1",
                                          "-fassets.lst",
                                          "-o" + out + "/pack.dat",
                                          "-h" + out + "/pack.h",
                                          "--",
                                          "-starts with a dash.bin"};
    WriteFile(folder_ / "-starts with a dash.bin", "D");
    ::chmod(folder_.Path().c_str(), 0555);  // only read: nothing may be made in it
    ProgramResult result = RunProgram(VORLCNV_PROGRAM, arguments, build.Path(), {{"VORLTEMP", ""}, {"TMPDIR", ""}});
    ::chmod(folder_.Path().c_str(), 0755);
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ("BBAAAAD", ReadFile(build / "pack.dat"));
    const std::string text = ReadFile(build / "pack.d");
    EXPECT_EQ(0U, text.rfind(out + "/pack.stamp: \\\n  " + source + "/assets.lst", 0)) << text;
    EXPECT_TRUE(fs::is_empty(build / "work"));
    for (const auto &entry : fs::directory_iterator(folder_.Path())) {
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find("vorl")) << entry.path();
    }

    struct Refused {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    };
    const std::vector<Refused> refused = {
        {{"--depfile-target", "x", "-p0", "b$c.bin"},
         64,
         "vorlcnv: --depfile-target names the targets of a dependency file: give --depfile FILE too\n"
         "Try 'vorlcnv --help'.\n"},
        {{"--directory", "no such folder", "-p0", "b$c.bin"},
         66,
         "vorlcnv: no such folder: cannot run in this folder (--directory): No such file or directory\n"},
        {{"--workdir", "", "-p0", "b$c.bin"}, 64, ""},
    };
    for (const Refused &r : refused) {
        result = Run(r.arguments);
        EXPECT_EQ(r.status, result.status) << result.err;
        if (!r.message.empty()) {
            EXPECT_EQ(r.message, result.err);
        }
    }
}

}  // namespace
}  // namespace vorl::test
