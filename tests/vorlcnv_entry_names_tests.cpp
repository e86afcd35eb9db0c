// vorlcnv and the names it reads: every entry, from an argument or from a
// list, is read as exactly the name it shows, or refused before anything
// runs. Line breaks in names, the encoding of a list, lists that are pipes
// or in UTF-16, and converter fields that name no converter.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "recode_text.h"
#include "test_support.h"

namespace vorl::test {
namespace {

class VorlcnvEntryNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(folder_ / "a.bin", "AAAA");
        fs::create_directory(folder_ / "work");
    }
    ProgramResult Run(const std::vector<std::string> &arguments)
    {
        return RunProgram(VORLCNV_PROGRAM, arguments, folder_.Path(), Environment());
    }
    // vorlcnv with its standard input, or one of its arguments, fed by a
    // pipe that the shell makes.
    ProgramResult RunShell(const std::string &script)
    {
        return RunProgram("/bin/bash", {"-c", script, VORLCNV_PROGRAM}, folder_.Path(), Environment());
    }
    std::vector<std::pair<std::string, std::string>> Environment()
    {
        return {{"VORLTEMP", (folder_ / "work").string()}};
    }
    TempFolder folder_;
};

std::string FirstLine(const std::string &text)
{
    return text.substr(0, text.find('\n'));
}

// A refusal of the arguments: one line that begins with "vorlcnv: " and
// holds `shown`, and the pointer to --help.
void ExpectRefusal(const ProgramResult &result, const std::string &shown, const std::string &label)
{
    EXPECT_EQ(64, result.status) << label << ": " << result.err;
    EXPECT_EQ(0u, result.err.find("vorlcnv: ")) << label << ": " << result.err;
    EXPECT_NE(std::string::npos, FirstLine(result.err).find(shown)) << label << ": " << result.err;
    EXPECT_EQ(FirstLine(result.err) + "\nTry 'vorlcnv --help'.\n", result.err) << label;
    EXPECT_EQ("", result.out) << label;
}

// A name with a line end in it is never split into two entries, whichever
// way it would travel to the library: on its command line, or in one of
// vorlcnv's lists (after "--" and beginning with "-", or holding '"').
TEST_F(VorlcnvEntryNames, NamesWithLineBreaksAreRefusedOnEveryRoute)
{
    for (const char *name : {"new\nline.bin", "new", "line.bin", "-x.bin", "new\rline.bin", "say\"hi\".bin"}) {
        WriteFile(folder_ / name, name);
    }
    WriteFile(folder_ / "cr.lst", "a.bin\r\nnew\rline.bin\r\n");
    WriteFile(folder_ / "crend.lst", "a.bin\r\r\n");
    WriteFile(folder_ / "utf8cr.lst", "a.bin\n表\r示.bin\n");
    struct Case {
        std::vector<std::string> arguments;
        std::string shown;
    };
    const Case cases[] = {
        {{"-p0", "-onl.dat", "--", "-x.bin", "new\nline.bin"},
         "an entry cannot hold a line break (CR or LF): new\\nline.bin"},
        {{"-p0", "-onl.dat", "--", "new\nline.bin", "-x.bin"}, "new\\nline.bin"},
        {{"-p0", "-onl.dat", "say\"hi\".bin", "new\nline.bin"}, "new\\nline.bin"},
        {{"-p0", "-onl.dat", "new\nline.bin"}, "an entry cannot hold a line break (CR or LF): new\\nline.bin"},
        {{"-p0", "-onl.dat", "--", "new\nline.bin"}, "new\\nline.bin"},
        {{"-p0", "-onl.dat", "--", "-x.bin", "new\rline.bin"}, "new\\rline.bin"},
        {{"-p0", "-onl.dat", "a.bin", "new\rline.bin"}, "new\\rline.bin"},
        {{"-p0", "-onew\nline.dat", "a.bin"}, "an option cannot hold a line break (CR or LF): -onew\\nline.dat"},
        {{"-p0", "-onl.dat", "-fcr.lst"}, "cr.lst:2: a carriage return (CR) inside the line"},
        {{"-p0", "-onl.dat", "-fcrend.lst"}, "crend.lst:1: a carriage return (CR) inside the line"},
        {{"-p0", "-onl.dat", "-futf8cr.lst"},
         "utf8cr.lst:2: a carriage return (CR) inside the line, where only "
         "the line end (LF or CR LF) may have one: 表\\r示.bin"},
    };
    for (const Case &c : cases) {
        ProgramResult result = Run(c.arguments);
        ExpectRefusal(result, c.shown, c.arguments.back());
        EXPECT_FALSE(fs::exists(folder_ / "nl.dat")) << c.arguments.back();
        fs::remove(folder_ / "nl.dat");
    }
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

// The half-width katakana whose CP932 bytes are also valid UTF-8: a first
// byte C2 to DF and a second 80 to BF, within the single bytes A1 to DF.
std::vector<std::string> KatakanaPairsThatAreUtf8()
{
    std::vector<std::string> pairs;
    for (int first = 0xC2; first <= 0xDF; ++first) {
        for (int second = 0xA1; second <= 0xBF; ++second) {
            pairs.push_back(Bytes({first, second}));
        }
    }
    return pairs;
}

std::string Numbered(size_t number)
{
    std::ostringstream text;
    text.width(3);
    text.fill('0');
    text << number;
    return text.str();
}

// A list VorlList wrote packs the files it lists, even when its CP932
// bytes read as UTF-8 too and the files of that reading are there as well.
TEST_F(VorlcnvEntryNames, ListsWrittenByVorlListPackTheirOwnFilesWhateverElseIsThere)
{
    const std::vector<std::string> pairs = KatakanaPairsThatAreUtf8();
    ASSERT_EQ(30u * 31u, pairs.size());
    fs::create_directory(folder_ / "k");
    std::string expected;
    for (size_t i = 0; i < pairs.size(); ++i) {
        std::string katakana = common::Cp932ToUtf8(pairs[i]).value_or(std::string());
        ASSERT_FALSE(katakana.empty()) << Hex(pairs[i]);
        WriteFile(folder_ / "k" / (Numbered(i) + katakana), "[cp932 " + Numbered(i) + "]");
        expected += "[cp932 " + Numbered(i) + "]";
    }
    ProgramResult list = RunProgram(VORLLIST_PROGRAM, {"-ok.lst", "k/???*"}, folder_.Path());
    ASSERT_EQ(0, list.status) << list.out;
    // Only the files of the list's own reading are there: nothing to say.
    ProgramResult alone = Run({"-p3", "-oalone.dat", "-fk.lst"});
    EXPECT_EQ(0, alone.status) << alone.err;
    EXPECT_EQ(expected, ReadFile(folder_ / "alone.dat"));
    EXPECT_EQ("vorlcnv: wrote alone.dat (" + std::to_string(expected.size()) + " bytes)\n", alone.err);

    // The same bytes read as UTF-8 name other files; now they are there too.
    for (size_t i = 0; i < pairs.size(); ++i) {
        ASSERT_TRUE(common::RecodeText("UTF-16LE", "UTF-8", pairs[i])) << Hex(pairs[i]);
        WriteFile(folder_ / "k" / (Numbered(i) + pairs[i]), "[utf-8 " + Numbered(i) + "]");
    }
    ProgramResult both = Run({"-p3", "-oboth.dat", "-fk.lst"});
    EXPECT_EQ(0, both.status) << both.err;
    EXPECT_EQ(expected, ReadFile(folder_ / "both.dat"));
    EXPECT_EQ(
        "vorlcnv: k.lst: read as Shift-JIS (CP932): its bytes are valid in both Shift-JIS and UTF-8, the files "
        "of both readings are there, and its lines end in CR LF, as VorlList writes them\n"
        "vorlcnv: wrote both.dat (" +
            std::to_string(expected.size()) + " bytes)\n",
        both.err);

    // One pair at a time, as VorlList is used, with the number after the
    // pattern: the first pair, "ﾂｧ" and the last.
    for (const std::string &pair : {pairs.front(), Bytes({0xC2, 0xA7}), pairs.back()}) {
        std::string katakana = *common::Cp932ToUtf8(pair);
        fs::remove_all(folder_ / "one");
        fs::create_directory(folder_ / "one");
        WriteFile(folder_ / "one" / (katakana + "0"), "CP932");
        WriteFile(folder_ / "one" / (pair + "0"), "UTF-8");
        ProgramResult one = RunProgram(VORLLIST_PROGRAM, {"-oone.lst", "one/" + katakana + "?"}, folder_.Path());
        ASSERT_EQ(0, one.status) << Hex(pair) << one.out;
        ProgramResult packed = Run({"-p3", "-q", "-oone.dat", "-fone.lst"});
        EXPECT_EQ(0, packed.status) << Hex(pair) << packed.err;
        EXPECT_EQ("CP932", ReadFile(folder_ / "one.dat")) << Hex(pair);
        // Which reading was taken is a warning, said with -q too.
        EXPECT_EQ(0u, packed.err.find("vorlcnv: one.lst: read as Shift-JIS (CP932): ")) << packed.err;
        EXPECT_EQ(1, std::count(packed.err.begin(), packed.err.end(), '\n')) << packed.err;
    }
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

// A list that is a pipe is read once, by vorlcnv, and packs as a file would.
TEST_F(VorlcnvEntryNames, ListsFromPipesAreReadOnce)
{
    WriteFile(folder_ / "表.bin", "HYOU");
    const std::string cp932List = common::Utf8ToCp932("a.bin\r\n表.bin\r\n").value_or(std::string());
    WriteFile(folder_ / "cp932.lst", cp932List);
    WriteFile(folder_ / "missing.lst", "a.bin\nmissing.bin\n");
    struct Case {
        std::string script;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {R"(printf 'a.bin\n\na.bin\n' | exec "$0" -p3 -oout.dat -f/dev/stdin)", 0,
         "vorlcnv: wrote out.dat (8 bytes)\n"},
        {R"(exec "$0" -p3 -oout.dat -f/dev/stdin < <(cat cp932.lst))", 0, "vorlcnv: wrote out.dat (8 bytes)\n"},
        {R"(exec "$0" -p3 -oout.dat -f<(cat cp932.lst))", 0, "vorlcnv: wrote out.dat (8 bytes)\n"},
        {R"(cat missing.lst | exec "$0" -p3 -oout.dat -f/dev/stdin)", 9,
         "vorlcnv: /dev/stdin:2: missing.bin: ファイルが見つかりませんでした。 (error 9)\n"},
    };
    for (const Case &c : cases) {
        fs::remove(folder_ / "out.dat");
        ProgramResult result = RunShell(c.script);
        EXPECT_EQ(c.status, result.status) << c.script << ": " << result.err;
        EXPECT_EQ(c.err, result.err) << c.script;
        if (c.status == 0) {
            EXPECT_EQ(8u, ReadFile(folder_ / "out.dat").size()) << c.script;
        }
    }
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

// UTF-16 is no encoding of a list: said as such, and nothing is packed.
TEST_F(VorlcnvEntryNames, ListsInUtf16AreNamedAsSuch)
{
    auto utf16 = [](const char *encoding, const std::string &text) {
        return common::RecodeText(encoding, "UTF-8", text).value_or(std::string());
    };
    const std::string text = "a.bin\r\na.bin\r\n";
    struct Case {
        std::string name, bytes, sign;
    };
    const Case cases[] = {
        {"le.lst", "\xFF\xFE" + utf16("UTF-16LE", text), "byte order mark FF FE"},
        {"be.lst", "\xFE\xFF" + utf16("UTF-16BE", text), "byte order mark FE FF"},
        {"lejp.lst", "\xFF\xFE" + utf16("UTF-16LE", "表.bin\n"), "byte order mark FF FE"},
        {"lenobom.lst", utf16("UTF-16LE", text), "NUL bytes in every other position"},
        {"benobom.lst", utf16("UTF-16BE", text), "NUL bytes in every other position"},
    };
    for (const Case &c : cases) {
        WriteFile(folder_ / c.name, c.bytes);
        ProgramResult result = Run({"-p3", "-oout.dat", "-f" + c.name});
        EXPECT_EQ(65, result.status) << c.name << ": " << result.err;
        EXPECT_EQ("vorlcnv: " + c.name + ": this list is in UTF-16 (" + c.sign +
                      "); a list must be in Shift-JIS (CP932) or UTF-8\n",
                  result.err);
        EXPECT_FALSE(fs::exists(folder_ / "out.dat")) << c.name;
    }
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

// The command line sets no converter: a converter field other than 0 names
// a slot that holds no command, or no slot at all, and is refused before
// anything runs, from an argument as from a list line.
TEST_F(VorlcnvEntryNames, ConverterFieldsNameOnlySlotsTheLineSets)
{
    WriteFile(folder_ / "-x.bin", "X");
    WriteFile(folder_ / "表.bin", "HYOU");
    WriteFile(folder_ / "one.lst", "a.bin\r\na.bin,1\r\n");
    WriteFile(folder_ / "seven.lst", "a.bin,,3\na.bin,7,3\n");
    WriteFile(folder_ / "utf8.lst", "表.bin\n表.bin,3\n");
    WriteFile(folder_ / "cp932.lst", common::Utf8ToCp932("表.bin,2,5\r\n").value_or(std::string()));
    const std::string slots = "(slots are 1 to 4, and only those the command line sets; it sets none)";
    struct Case {
        std::vector<std::string> arguments;
        std::string shown;
    };
    const Case cases[] = {
        {{"-p3", "-oout.dat", "a.bin,1"},
         "vorlcnv: the converter field names slot 1, which the command line does not set " + slots + ": a.bin,1"},
        {{"-p3", "-oout.dat", "a.bin", "a.bin,4,2"}, "names slot 4, which the command line does not set " + slots},
        {{"-p3", "-oout.dat", "a.bin,0x2"}, "names slot 2, which the command line does not set " + slots},
        {{"-p3", "-oout.dat", "--", "-x.bin,3"}, "names slot 3, which the command line does not set"},
        {{"-p3", "-oout.dat", "a.bin,7"},
         "vorlcnv: the converter field names no converter slot " + slots + ": a.bin,7"},
        {{"-p3", "-oout.dat", "a.bin,-1"}, "the converter field names no converter slot " + slots + ": a.bin,-1"},
        {{"-p3", "-oout.dat", "a.bin,4294967295"}, "the converter field names no converter slot"},
        {{"-p3", "-oout.dat", "-fone.lst"},
         "vorlcnv: one.lst:2: the converter field names slot 1, which the command line does not set " + slots +
             ": a.bin,1"},
        {{"-p3", "-oout.dat", "-fseven.lst"},
         "vorlcnv: seven.lst:2: the converter field names no converter slot " + slots + ": a.bin,7,3"},
        {{"-p3", "-oout.dat", "-futf8.lst"}, "vorlcnv: utf8.lst:2: the converter field names slot 3"},
        {{"-p3", "-oout.dat", "-fcp932.lst"}, "vorlcnv: cp932.lst:1: the converter field names slot 2"},
    };
    for (const Case &c : cases) {
        ProgramResult result = Run(c.arguments);
        ExpectRefusal(result, c.shown, c.arguments.back());
        EXPECT_FALSE(fs::exists(folder_ / "out.dat")) << c.arguments.back();
    }
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

}  // namespace
}  // namespace vorl::test
