// Every output of every program, tried against every file the same run
// reads or writes, with the two names reaching one file in every way a
// user can spell that: the run is refused before it writes anything,
// leaves the folder exactly as it was, and says which two files collide.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "test_support.h"

namespace vorl::test {
namespace {

// The files a run may name. Each has one usual name in the run's folder;
// a case gives the output it tries and one other file the same name.
enum class Slot {
    Entry,           // an entry's input
    ListEntry,       // an entry's input named in the list file
    ConverterInput,  // the input of an entry that goes through a converter
    List,            // the -f list file
    Project,         // the project file
    Data,
    Header,
    DependencyFile,
    Pack,        // the pack --extract reads
    PackHeader,  // the header --extract reads with it
    Listed,      // a file VorlList lists
    Extracted,   // --extract --output
    ListOutput,  // VorlList -o
    SavedProject,
};

// How the program names the file in its refusal ("the data file is also
// the list file"); empty where the program names only the file.
std::string KindOf(Slot slot)
{
    switch (slot) {
        case Slot::Entry:
            return "input of entry 0";
        case Slot::ListEntry:
        case Slot::ConverterInput:
            return "input of entry 1";
        case Slot::List:
            return "list file";
        case Slot::Project:
            return "project file";
        case Slot::Data:
        case Slot::Pack:
            return "data file";
        case Slot::Header:
        case Slot::PackHeader:
            return "header file";
        case Slot::DependencyFile:
            return "dependency file";
        default:
            return "";
    }
}

enum class Program { Vorlcnv, Extract, VorlList, SaveProject, SaveProjectIntoOwnTable };

using Names = std::map<Slot, std::string>;

// One way of running a program: the files it reads, those it writes, and
// its arguments for a set of names.
struct Mode {
    const char *name;
    const char *id;  // the mode in the test's name
    Program program;
    bool lineMode;         // entries named on the command line or in a list, where wildcards work
    bool projectRelative;  // the project's entries and the project are told by their absolute names
    Names usual;
    std::vector<Slot> inputs;
    std::vector<Slot> outputs;
    std::vector<std::string> (*arguments)(const Names &names);
};

std::vector<std::string> LineArguments(const char *mode, const Names &n, bool header)
{
    std::vector<std::string> arguments = {mode, n.at(Slot::Entry), "-f" + n.at(Slot::List), "-o" + n.at(Slot::Data)};
    if (header) {
        arguments.push_back("-h" + n.at(Slot::Header));
    }
    arguments.insert(arguments.end(), {"--depfile", n.at(Slot::DependencyFile)});
    return arguments;
}

const std::vector<Mode> &Modes()
{
    static const Names kLine = {{Slot::Entry, "f001.bin"}, {Slot::ListEntry, "f003.bin"},
                                {Slot::List, "in.lst"},    {Slot::Data, "out.dat"},
                                {Slot::Header, "out.h"},   {Slot::DependencyFile, "out.d"}};
    static const Names kProject = {{Slot::Entry, "f001.bin"},    {Slot::ConverterInput, "f002.bin"},
                                   {Slot::Project, "p.vorlprj"}, {Slot::Data, "out.dat"},
                                   {Slot::Header, "out.h"},      {Slot::DependencyFile, "out.d"}};
    static const std::vector<Mode> modes = {
        {"vorlcnv -p0",
         "VorlcnvP0",
         Program::Vorlcnv,
         true,
         false,
         kLine,
         {Slot::Entry, Slot::ListEntry, Slot::List},
         {Slot::Data, Slot::DependencyFile},
         [](const Names &n) { return LineArguments("-p0", n, false); }},
        {"vorlcnv -p1",
         "VorlcnvP1",
         Program::Vorlcnv,
         true,
         false,
         kLine,
         {Slot::Entry, Slot::ListEntry, Slot::List},
         {Slot::Data, Slot::Header, Slot::DependencyFile},
         [](const Names &n) { return LineArguments("-p1", n, true); }},
        {"vorlcnv -p2",
         "VorlcnvP2",
         Program::Vorlcnv,
         true,
         false,
         kLine,
         {Slot::Entry, Slot::ListEntry, Slot::List},
         {Slot::Data, Slot::Header, Slot::DependencyFile},
         [](const Names &n) { return LineArguments("-p2", n, true); }},
        {"vorlcnv --project",
         "VorlcnvProject",
         Program::Vorlcnv,
         false,
         true,
         kProject,
         {Slot::Entry, Slot::ConverterInput, Slot::Project},
         {Slot::Data, Slot::Header, Slot::DependencyFile},
         [](const Names &n) {
             return std::vector<std::string>{"--project", n.at(Slot::Project), "--data",    n.at(Slot::Data),
                                             "--header",  n.at(Slot::Header),  "--depfile", n.at(Slot::DependencyFile)};
         }},
        {"vorlcnv --extract from a pack with its index",
         "ExtractFromPrefixedPack",
         Program::Extract,
         false,
         false,
         {{Slot::Pack, "pack0.dat"}, {Slot::Extracted, "item.bin"}},
         {Slot::Pack},
         {Slot::Extracted},
         [](const Names &n) {
             return std::vector<std::string>{"--extract", "1", n.at(Slot::Pack), "--output", n.at(Slot::Extracted)};
         }},
        {"vorlcnv --extract from a pack and its header",
         "ExtractWithHeader",
         Program::Extract,
         false,
         false,
         {{Slot::Pack, "pack2.dat"}, {Slot::PackHeader, "pack2.h"}, {Slot::Extracted, "item.bin"}},
         {Slot::Pack, Slot::PackHeader},
         {Slot::Extracted},
         [](const Names &n) {
             return std::vector<std::string>{
                 "--extract",          "1", n.at(Slot::Pack), "--header", n.at(Slot::PackHeader), "--output",
                 n.at(Slot::Extracted)};
         }},
        {"VorlList",
         "VorlList",
         Program::VorlList,
         false,
         false,
         {{Slot::Listed, "f001.bin"}, {Slot::ListOutput, "out.lst"}},
         {Slot::Listed},
         {Slot::ListOutput},
         [](const Names &n) {
             return std::vector<std::string>{"-o" + n.at(Slot::ListOutput), "f00?.bin"};
         }},
        {"VorlPutXMLPrjFile",
         "SaveProject",
         Program::SaveProject,
         false,
         false,
         {{Slot::Entry, "f001.bin"}, {Slot::ConverterInput, "f002.bin"}, {Slot::SavedProject, "saved.vorlprj"}},
         {Slot::Entry, Slot::ConverterInput},
         {Slot::SavedProject},
         nullptr},
        {"VorlPutXMLPrjFileVB",
         "SaveProjectVB",
         Program::SaveProjectIntoOwnTable,
         false,
         false,
         {{Slot::Entry, "f001.bin"}, {Slot::ConverterInput, "f002.bin"}, {Slot::SavedProject, "saved.vorlprj"}},
         {Slot::Entry, Slot::ConverterInput},
         {Slot::SavedProject},
         nullptr},
    };
    return modes;
}

// The ways of giving two names to one file. The first group spells the
// output another way than the file it collides with, the second spells
// the other file and names the output plainly.
enum class Spelling {
    Direct,
    Absolute,
    DotDot,
    SymbolicLink,
    HardLink,
    OtherAbsolute,
    OtherDotDot,
    OtherSymbolicLink,
    OtherHardLink,
    OtherByWildcard,
};

const char *SpellingName(Spelling spelling)
{
    switch (spelling) {
        case Spelling::Direct:
            return "both named alike";
        case Spelling::Absolute:
            return "the output by its absolute name";
        case Spelling::DotDot:
            return "the output through ./ and ..";
        case Spelling::SymbolicLink:
            return "the output through a symbolic link";
        case Spelling::HardLink:
            return "the output through a hard link";
        case Spelling::OtherAbsolute:
            return "the other by its absolute name";
        case Spelling::OtherDotDot:
            return "the other through ./ and ..";
        case Spelling::OtherSymbolicLink:
            return "the other through a symbolic link";
        case Spelling::OtherHardLink:
            return "the other through a hard link";
        case Spelling::OtherByWildcard:
            return "the other found by a wildcard";
    }
    return "";
}

const Spelling kSpellings[] = {Spelling::Direct,         Spelling::Absolute,          Spelling::DotDot,
                               Spelling::SymbolicLink,   Spelling::HardLink,          Spelling::OtherAbsolute,
                               Spelling::OtherDotDot,    Spelling::OtherSymbolicLink, Spelling::OtherHardLink,
                               Spelling::OtherByWildcard};

bool SpellsTheOther(Spelling spelling)
{
    return spelling >= Spelling::OtherAbsolute;
}

std::string ProjectText(const Names &names)
{
    return "<?xml version='1.0' encoding='utf-8'?>\n"
           "<VorlProject version='400'>\n"
           "<header><headerid>Vorl</headerid><indexnum>2</indexnum><indexout>outbinary</indexout>"
           "<indexbyte>4</indexbyte><indexinterval>1</indexinterval><dataalign>1</dataalign>"
           "<pathmode>relative</pathmode><label>Idx</label>"
           "<convert num='1'>cat &quot;$I&quot; &gt; &quot;$O&quot;</convert></header>\n"
           "<index num='0' use='true'><filename>" +
           names.at(Slot::Entry) +
           "</filename><convertnum>0</convertnum></index>\n"
           "<index num='1' use='true'><filename>" +
           names.at(Slot::ConverterInput) +
           "</filename><convertnum>1</convertnum></index>\n"
           "</VorlProject>\n";
}

// The current folder for the library's calls, which take relative names
// from it as the programs do; restored however the case ends.
class InFolder {
public:
    explicit InFolder(const fs::path &folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

// What a run gave back: a program's status and texts, or a call's code.
struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// One row of the table: a mode's output, tried against every other file
// of the same run.
struct Row {
    size_t mode;
    Slot output;
};

std::string OutputName(Slot output)
{
    switch (output) {
        case Slot::Extracted:
            return "ExtractedItem";
        case Slot::ListOutput:
            return "ListFile";
        case Slot::SavedProject:
            return "ProjectFile";
        case Slot::Data:
            return "DataFile";
        case Slot::Header:
            return "HeaderFile";
        default:
            return "DependencyFile";
    }
}

void PrintTo(const Row &row, std::ostream *out)
{
    *out << Modes()[row.mode].name << ", " << OutputName(row.output);
}

class OutputPlan : public ::testing::TestWithParam<Row> {
protected:
    static void SetUpTestSuite()
    {
        // The packs --extract reads, made once: two items, "first" and
        // "second entry".
        TempFolder maker;
        WriteFile(maker / "a", "first");
        WriteFile(maker / "b", "second entry");
        ProgramResult made = RunProgram(VORLCNV_PROGRAM, {"-q", "-p0", "a", "b", "-opack0.dat"}, maker.Path());
        ASSERT_EQ(0, made.status) << made.err;
        made = RunProgram(VORLCNV_PROGRAM, {"-q", "-p2", "a", "b", "-opack2.dat", "-hpack2.h"}, maker.Path());
        ASSERT_EQ(0, made.status) << made.err;
        for (const char *name : {"pack0.dat", "pack2.dat", "pack2.h"}) {
            packs_[name] = ReadFile(maker / name);
        }
    }

    // The folder of one run: every file any mode reads, the list and the
    // project naming the entries as `names` does.
    void Prepare(const fs::path &folder, const Names &names)
    {
        fs::create_directory(folder / "sub");
        fs::create_directory(folder / "work");
        WriteFile(folder / "f001.bin", "first entry");
        WriteFile(folder / "f002.bin", "converted entry");
        WriteFile(folder / "f003.bin", "listed entry");
        WriteFile(folder / "in.lst", (names.count(Slot::ListEntry) ? names.at(Slot::ListEntry) : "f003.bin") + "\r\n");
        if (names.count(Slot::ConverterInput) != 0) {
            WriteFile(folder / "p.vorlprj", ProjectText(names));
        }
        for (const auto &[name, bytes] : packs_) {
            WriteFile(folder / name, bytes);
        }
    }

    Outcome Run(const Mode &mode, const fs::path &folder, const Names &names)
    {
        const std::vector<std::pair<std::string, std::string>> environment = {{"LANGUAGE", "C"},
                                                                              {"VORLTEMP", (folder / "work").string()}};
        switch (mode.program) {
            case Program::Vorlcnv:
            case Program::Extract: {
                ProgramResult result = RunProgram(VORLCNV_PROGRAM, mode.arguments(names), folder, environment);
                return {result.status, result.out, result.err};
            }
            case Program::VorlList: {
                ProgramResult result = RunProgram(VORLLIST_PROGRAM, mode.arguments(names), folder, environment);
                return {result.status, result.out, result.err};
            }
            case Program::SaveProject:
            case Program::SaveProjectIntoOwnTable: {
                Block block(2);
                block.UseFile(0, names.at(Slot::Entry));
                block.UseFile(1, names.at(Slot::ConverterInput));
                block.Row(1).convertnum = 1;
                block.SetConverter(1, "cat \"$I\" > \"$O\"");
                // The editor keeps its entries relative to the project's
                // folder, and the writer resolves them from there.
                block.SetText(block->prjdir, sizeof block->prjdir, fs::canonical(folder).string() + "/");
                block.SetText(block->prjfile, sizeof block->prjfile, names.at(Slot::SavedProject));
                InFolder here(folder);
                if (mode.program == Program::SaveProject) {
                    return {VorlPutXMLPrjFile(&block.Info()), "", ""};
                }
                std::vector<IndexEntry> table = {block.Row(0), block.Row(1)};
                return {VorlPutXMLPrjFileVB(&block.Info(), table.data()), "", ""};
            }
        }
        return {kNotRun, "", ""};
    }

    // Whether `told` names the file the run was given as `given`: as
    // given, or, for the names a project resolves, as its absolute name.
    static bool Tells(const std::string &told, const std::string &given, bool absolute, const fs::path &folder)
    {
        if (!absolute) {
            return told == given;
        }
        return fs::path(told).is_absolute() &&
               fs::path(told).lexically_normal() == (fs::canonical(folder) / given).lexically_normal();
    }

    // The refusal names both files and says what each one is.
    void ExpectRefusal(const Mode &mode, Slot output, Slot other, const Names &names, const Outcome &outcome,
                       const fs::path &folder)
    {
        const std::string &outputName = names.at(output);
        const std::string &otherName = names.at(other);
        switch (mode.program) {
            case Program::Vorlcnv: {
                EXPECT_EQ(-VORL_ERR_OUTPUT_FILE, outcome.status) << outcome.err;
                EXPECT_EQ("", outcome.out);
                // vorlcnv: A: <message> (error 13: the K1 is also the K2 (B); nothing was written)
                const std::string lead = "vorlcnv: ";
                const std::string middle = ": " + MessageOf(VORL_ERR_OUTPUT_FILE) + " (error 13: the ";
                const std::string tail = "); nothing was written)\n";
                const std::string &err = outcome.err;
                size_t nameEnd = err.find(middle);
                size_t also = err.find(" is also the ", nameEnd);
                size_t open = err.find(" (", also);
                bool parsed = err.rfind(lead, 0) == 0 && nameEnd != std::string::npos && also != std::string::npos &&
                              open != std::string::npos && err.size() >= tail.size() &&
                              err.compare(err.size() - tail.size(), tail.size(), tail) == 0 &&
                              std::count(err.begin(), err.end(), '\n') == 1;
                ASSERT_TRUE(parsed) << err;
                std::string first = err.substr(lead.size(), nameEnd - lead.size());
                std::string firstKind = err.substr(nameEnd + middle.size(), also - nameEnd - middle.size());
                std::string secondKind = err.substr(also + 13, open - also - 13);
                std::string second = err.substr(open + 2, err.size() - tail.size() - open - 2);
                auto absolute = [&](Slot slot) {
                    return mode.projectRelative &&
                           (slot == Slot::Entry || slot == Slot::ConverterInput || slot == Slot::Project);
                };
                // Two outputs may be told in either order; an input is
                // always the second.
                bool outputFirst = first == outputName && firstKind == KindOf(output) &&
                                   Tells(second, otherName, absolute(other), folder) && secondKind == KindOf(other);
                bool otherFirst = first == otherName && firstKind == KindOf(other) && second == outputName &&
                                  secondKind == KindOf(output) && !absolute(other);
                EXPECT_TRUE(outputFirst || otherFirst) << err;
                break;
            }
            case Program::Extract:
                EXPECT_EQ(73, outcome.status) << outcome.err;
                EXPECT_EQ("", outcome.out);
                EXPECT_EQ("vorlcnv: " + outputName + ": is also the " + KindOf(other) + " (" + otherName +
                              "); nothing was written\n",
                          outcome.err);
                break;
            case Program::VorlList:
                // A pattern without a folder lists its files under "./".
                EXPECT_EQ(-1, outcome.status) << outcome.out;
                EXPECT_NE(std::string::npos, outcome.out.find("リストファイル「" + outputName + "」は入力ファイル「./" +
                                                              otherName + "」と同じファイルです。\n"))
                    << outcome.out;
                EXPECT_EQ("", outcome.err);
                break;
            case Program::SaveProject:
            case Program::SaveProjectIntoOwnTable:
                // The export has no report of its own: the code is all the
                // editor learns.
                EXPECT_CODE(VORL_ERR_PRJ_NOT_FOUND, outcome.status);
                break;
        }
    }

    static constexpr int kNotRun = 1000;
    static inline std::map<std::string, std::string> packs_;
};

// With every name at its usual place the run succeeds: the refusals below
// are the collisions' doing and nothing else's.
TEST_P(OutputPlan, EveryOtherFileOfTheRunIsRefusedAsTheOutput)
{
    const Mode &mode = Modes()[GetParam().mode];
    const Slot output = GetParam().output;
    {
        SCOPED_TRACE("no collision");
        TempFolder folder;
        Prepare(folder.Path(), mode.usual);
        Outcome outcome = Run(mode, folder.Path(), mode.usual);
        ASSERT_EQ(0, outcome.status) << outcome.out << outcome.err;
        ASSERT_TRUE(fs::exists(folder / mode.usual.at(output)));
    }
    std::vector<Slot> others = mode.inputs;
    std::copy_if(mode.outputs.begin(), mode.outputs.end(), std::back_inserter(others),
                 [output](Slot slot) { return slot != output; });
    int cases = 0;
    for (Slot other : others) {
        const bool isOutput = std::find(mode.outputs.begin(), mode.outputs.end(), other) != mode.outputs.end();
        // Another output may not exist yet (compared by its resolved name)
        // or be left from an earlier run (compared by device and inode).
        for (bool exists : isOutput ? std::vector<bool>{false, true} : std::vector<bool>{true}) {
            for (Spelling spelling : kSpellings) {
                const bool hardLink = spelling == Spelling::HardLink || spelling == Spelling::OtherHardLink;
                const bool wildcard = spelling == Spelling::OtherByWildcard;
                if ((hardLink && !exists) ||
                    (wildcard && !(mode.lineMode && (other == Slot::Entry || other == Slot::ListEntry))) ||
                    (SpellsTheOther(spelling) && other == Slot::Listed)) {
                    continue;
                }
                const std::string target = mode.usual.at(other);
                SCOPED_TRACE(std::string(mode.name) + ": the " + (KindOf(output).empty() ? "output" : KindOf(output)) +
                             " is the " + (KindOf(other).empty() ? "listed file" : KindOf(other)) + " " + target +
                             (isOutput ? (exists ? " (from an earlier run)" : " (not yet made)") : "") + ", " +
                             SpellingName(spelling));
                TempFolder folder;
                const fs::path canonical = fs::canonical(folder.Path());
                Names names = mode.usual;
                std::string spelled;
                switch (spelling) {
                    case Spelling::Direct:
                        spelled = target;
                        break;
                    case Spelling::Absolute:
                    case Spelling::OtherAbsolute:
                        spelled = (canonical / target).string();
                        break;
                    case Spelling::DotDot:
                    case Spelling::OtherDotDot:
                        spelled = "./sub/../" + target;
                        break;
                    case Spelling::SymbolicLink:
                    case Spelling::OtherSymbolicLink:
                        spelled = "ln-" + target;
                        fs::create_symlink(target, folder / spelled);
                        break;
                    case Spelling::HardLink:
                    case Spelling::OtherHardLink:
                        spelled = "hl-" + target;
                        break;
                    case Spelling::OtherByWildcard:
                        spelled = target.substr(0, target.size() - 1) + "?";
                        break;
                }
                names[SpellsTheOther(spelling) ? other : output] = spelled;
                names[SpellsTheOther(spelling) ? output : other] = target;
                Prepare(folder.Path(), names);
                if (isOutput && exists) {
                    WriteFile(folder / target, "previous " + target);
                }
                if (hardLink) {
                    fs::create_hard_link(folder / target, folder / spelled);
                }
                const auto before = Snapshot(folder.Path());
                Outcome outcome = Run(mode, folder.Path(), names);
                ExpectRefusal(mode, output, other, names, outcome, folder.Path());
                EXPECT_EQ("", Differences(before, Snapshot(folder.Path())));
                ++cases;
            }
        }
    }
    RecordProperty("cases", cases);
}

std::string ParameterName(const ::testing::TestParamInfo<Row> &info)
{
    return std::string(Modes()[info.param.mode].id) + OutputName(info.param.output);
}

std::vector<Row> EveryOutput()
{
    std::vector<Row> rows;
    for (size_t mode = 0; mode < Modes().size(); ++mode) {
        for (Slot output : Modes()[mode].outputs) {
            rows.push_back({mode, output});
        }
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, OutputPlan, ::testing::ValuesIn(EveryOutput()), ParameterName);

}  // namespace
}  // namespace vorl::test
