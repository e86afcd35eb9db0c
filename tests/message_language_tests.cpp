// The language and character set of the programs' messages, read from the
// environment: Japanese (the described texts) for ja, C and nothing set,
// English for any other language; EUC-JP or Latin-1 when the locale names
// that set, UTF-8 otherwise.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "locale_charset.h"
#include "message_language.h"
#include "recode_text.h"
#include "test_support.h"

namespace vorl::test {
namespace {

using Variables = std::map<std::string, std::string>;
using common::MessageLanguage;

auto ReaderOf(const Variables &variables)
{
    return [&variables](const char *name) -> const char * {
        auto found = variables.find(name);
        return found == variables.end() ? nullptr : found->second.c_str();
    };
}

TEST(MessageLanguage, ChosenAsGettextReadsTheVariables)
{
    const struct {
        Variables variables;
        MessageLanguage language;
    } cases[] = {
        {{}, MessageLanguage::Japanese},
        {{{"LANG", "ja_JP.UTF-8"}}, MessageLanguage::Japanese},
        {{{"LANG", "C"}}, MessageLanguage::Japanese},
        {{{"LANG", "C.UTF-8"}}, MessageLanguage::Japanese},
        {{{"LC_ALL", "POSIX"}}, MessageLanguage::Japanese},
        {{{"LANG", "en_US.UTF-8"}}, MessageLanguage::English},
        {{{"LANG", "de_DE.UTF-8"}}, MessageLanguage::English},
        {{{"LANG", "ja_JP.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}, MessageLanguage::English},
        {{{"LANG", "en_US.UTF-8"}, {"LC_ALL", "ja_JP.eucJP"}}, MessageLanguage::Japanese},
        {{{"LC_ALL", ""}, {"LANG", "fr_FR"}}, MessageLanguage::English},
        // LANGUAGE first, even when the rest says C; its first entry counts.
        {{{"LANGUAGE", "en"}, {"LANG", "C"}}, MessageLanguage::English},
        {{{"LANGUAGE", "en_GB:ja"}, {"LC_ALL", "ja_JP.UTF-8"}}, MessageLanguage::English},
        {{{"LANGUAGE", "ja:en"}, {"LANG", "en_US.UTF-8"}}, MessageLanguage::Japanese},
        {{{"LANGUAGE", ""}, {"LANG", "en_US.UTF-8"}}, MessageLanguage::English},
        {{{"LANGUAGE", ":en"}, {"LANG", "ja_JP.UTF-8"}}, MessageLanguage::Japanese},
    };
    for (const auto &c : cases) {
        std::string shown;
        for (const auto &[name, value] : c.variables) {
            shown += name + "=" + value + " ";
        }
        EXPECT_EQ(c.language, common::LanguageFromVariables(ReaderOf(c.variables))) << shown;
    }
}

TEST(LocaleCharset, NamedByTheLocaleAndHeldWithQuestionMarks)
{
    const struct {
        Variables variables;
        std::optional<std::string> charset;
    } cases[] = {
        {{}, std::nullopt},
        {{{"LANG", "C"}}, std::nullopt},
        {{{"LANG", "ja_JP.UTF-8"}}, std::nullopt},
        {{{"LANG", "en_US.utf8"}}, std::nullopt},
        {{{"LANG", "ja_JP.eucJP"}}, "eucJP"},
        {{{"LC_CTYPE", "en_US.ISO-8859-1"}, {"LANG", "ja_JP.UTF-8"}}, "ISO-8859-1"},
        {{{"LC_ALL", "de_DE.ISO-8859-15@euro"}, {"LC_CTYPE", "ja_JP.UTF-8"}}, "ISO-8859-15"},
        {{{"LC_ALL", "ja_JP.UTF-8"}, {"LC_CTYPE", "ja_JP.eucJP"}}, std::nullopt},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.charset, common::NamedNonUtf8Charset(ReaderOf(c.variables)));
    }
    EXPECT_EQ("\xA5\xD5\xA5\xA1\xA5\xA4\xA5\xEB", common::Utf8InCharset("ファイル", "eucJP"));
    EXPECT_EQ("caf\xE9 ?? ok", common::Utf8InCharset("café 日本 ok", "ISO-8859-1"));
    EXPECT_EQ("a?b", common::Utf8InCharset("a\xF0\x9F\x98\x80"
                                           "b",
                                           "ISO-8859-1"));
    EXPECT_EQ("same", common::Utf8InCharset("same", "NO-SUCH-CHARSET"));
}

// Every variable a program could read its language or character set from.
std::vector<std::pair<std::string, std::string>> Environment(const Variables &set)
{
    std::vector<std::pair<std::string, std::string>> environment;
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LC_CTYPE", "LANG"}) {
        auto found = set.find(name);
        environment.emplace_back(name, found == set.end() ? "" : found->second);
    }
    for (const auto &[name, value] : set) {
        if (name == "LOCPATH") {
            environment.emplace_back(name, value);
        }
    }
    return environment;
}

class ProgramLanguage : public ::testing::Test {
protected:
    ProgramResult Vorlcnv(const Variables &set)
    {
        return RunProgram(VORLCNV_PROGRAM, {"-p0", "missing ファイル.bin"}, folder_.Path(), Environment(set));
    }
    ProgramResult VorlList(const Variables &set)
    {
        return RunProgram(VORLLIST_PROGRAM, {"-oout.lst", "ない??.bin"}, folder_.Path(), Environment(set));
    }
    TempFolder folder_;
};

TEST_F(ProgramLanguage, JapaneseUnlessAnotherLanguageIsAsked)
{
    const std::string japanese = "vorlcnv: missing ファイル.bin: ファイルが見つかりませんでした。 (error 9)\n";
    const std::string english = "vorlcnv: missing ファイル.bin: The file was not found. (error 9)\n";
    for (const Variables &set : {Variables{}, Variables{{"LANG", "C"}}, Variables{{"LANG", "ja_JP.UTF-8"}}}) {
        EXPECT_EQ(japanese, Vorlcnv(set).err);
        EXPECT_NE(std::string::npos, VorlList(set).out.find("\n該当するファイルが１つも見つかりません。\n"));
        EXPECT_NE(std::string::npos, RunProgram(VORLLIST_PROGRAM, {}, folder_.Path(), Environment(set))
                                         .out.find(">VorlList [option] <input file name>\n"));
    }
    for (const Variables &set : {Variables{{"LANGUAGE", "en"}, {"LANG", "C"}}, Variables{{"LANG", "en_US.UTF-8"}},
                                 Variables{{"LANG", "ja_JP.UTF-8"}, {"LC_MESSAGES", "de_DE.UTF-8"}}}) {
        EXPECT_EQ(english, Vorlcnv(set).err);
        ProgramResult listed = VorlList(set);
        EXPECT_NE(std::string::npos, listed.out.find("\nNo file matches the pattern.\n")) << listed.out;
        ProgramResult usage = RunProgram(VORLLIST_PROGRAM, {}, folder_.Path(), Environment(set));
        EXPECT_NE(std::string::npos, usage.out.find("Usage: VorlList [options] PATTERN\n")) << usage.out;
        EXPECT_EQ(std::string::npos, usage.out.find("Output FileListName")) << usage.out;
    }
}

// The messages arrive in the set a real locale of that name uses, made
// here with localedef as a user's system has it.
TEST_F(ProgramLanguage, MessagesInTheLocalesCharacterSet)
{
    const fs::path locales = folder_ / "locales";
    fs::create_directory(locales);
    for (const char *made : {"ja_JP.eucJP:ja_JP:EUC-JP", "en_US.ISO-8859-1:en_US:ISO-8859-1"}) {
        std::string spec = made;
        std::string name = spec.substr(0, spec.find(':'));
        std::string rest = spec.substr(spec.find(':') + 1);
        std::string source = rest.substr(0, rest.find(':'));
        std::string charmap = rest.substr(rest.find(':') + 1);
        ProgramResult defined =
            RunProgram("/usr/bin/localedef", {"-i", source, "-f", charmap, (locales / name).string()}, folder_.Path());
        if (defined.status != 0 && !fs::exists(locales / name)) {
            GTEST_SKIP() << "localedef cannot make " << name << ": " << defined.err;
        }
    }
    const std::string where = locales.string();
    ProgramResult euc = Vorlcnv({{"LC_ALL", "ja_JP.eucJP"}, {"LOCPATH", where}});
    EXPECT_EQ(
        "vorlcnv: missing \xA5\xD5\xA5\xA1\xA5\xA4\xA5\xEB.bin: "
        "\xA5\xD5\xA5\xA1\xA5\xA4\xA5\xEB\xA4\xAC\xB8\xAB\xA4\xC4\xA4\xAB\xA4\xEA\xA4\xDE\xA4\xBB\xA4\xF3"
        "\xA4\xC7\xA4\xB7\xA4\xBF\xA1\xA3 (error 9)\n",
        euc.err);
    ProgramResult listedEuc = VorlList({{"LC_ALL", "ja_JP.eucJP"}, {"LOCPATH", where}});
    EXPECT_NE(std::string::npos, listedEuc.out.find(*common::RecodeText("EUC-JP", "UTF-8", "該当するファイル")));

    ProgramResult latin = Vorlcnv({{"LC_ALL", "en_US.ISO-8859-1"}, {"LOCPATH", where}});
    EXPECT_EQ("vorlcnv: missing ????.bin: The file was not found. (error 9)\n", latin.err);
    ProgramResult listedLatin = VorlList({{"LC_ALL", "en_US.ISO-8859-1"}, {"LOCPATH", where}});
    EXPECT_NE(std::string::npos, listedLatin.out.find("\nNo file matches the pattern.\n")) << listedLatin.out;
}

}  // namespace
}  // namespace vorl::test
