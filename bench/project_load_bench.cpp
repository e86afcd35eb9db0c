// project_load_bench: opens a project of 9,999 used entries in the editor's
// model, with the size rescan that opening does, through the real library
// and without a window, and reports the median time of several rounds.
//
//   project_load_bench [SCRATCH_FOLDER] [ROUNDS]
//
// The goal is under 0.3 s on a two-core machine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor_host.h"
#include "editor_model.h"
#include "library_binding.h"

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 9999;

// A window that shows nothing and answers every question with its default.
class SilentHost : public vorlmake::EditorHost {
public:
    vorlmake::Answer ShowMessage(const std::string &text, const std::string &, vorlmake::MessageIcon,
                                 vorlmake::MessageButtons) override
    {
        std::fprintf(stderr, "project_load_bench: unexpected message: %s\n", text.c_str());
        return vorlmake::Answer::Ok;
    }
    std::optional<vorlmake::FileChoice> ChooseFileToOpen(const vorlmake::FileDialogRequest &) override { return {}; }
    std::optional<vorlmake::FileChoice> ChooseFileToSave(const vorlmake::FileDialogRequest &) override { return {}; }
    void ProcessPendingMessages() override {}
    void SetMainWindowEnabled(bool enabled) override { enabled_ = enabled; }
    bool IsMainWindowEnabled() const override { return enabled_; }
    void SetUnattended(bool) override {}
    void ShowRow(int, const vorlmake::RowView &) override {}
    void ShowPageFields(const std::string &, const std::string &) override {}
    void FocusFileName(int) override {}
    void ShowChoiceMarks(const vorlmake::ChoiceMarks &) override {}
    void ShowRemarksHeading(const std::string &) override {}
    void ShowTotalSize(const std::string &) override {}
    void ShowSaveName(const std::string &) override {}
    void ShowCurrentFolder(const std::string &) override {}
    void SetWindowTitle(const std::string &) override {}
    void ShowMainWindow() override {}
    void CloseMainWindow() override {}
    void ShowConversionRunning(bool) override {}
    int RunWhileBusy(const std::function<int()> &work) override { return work(); }
    void ShowConversionProgress(int, int, const std::string &) override {}
    bool ShowLabelDialog(vorlmake::LabelDialogState &) override { return false; }
    bool ShowConvertDialog(vorlmake::ConvertDialogState &) override { return false; }
    bool ShowRunSettingsDialog(vorlmake::RunSettings &) override { return false; }
    void ShowTitleWindow(const std::string &) override {}
    void ShowAboutBox(vorlmake::AboutBox &) override {}
    std::optional<std::string> ReadFile(const std::string &path) override
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            return std::nullopt;
        }
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::optional<int64_t> FileLength(const std::string &path) override
    {
        std::error_code error;
        auto size = fs::file_size(path, error);
        return error ? std::nullopt : std::optional<int64_t>(static_cast<int64_t>(size));
    }
    bool RemoveFile(const std::string &path) override { return fs::remove(path); }
    bool WriteFileReplacing(const std::string &, const std::string &) override { return false; }
    bool OpenDocument(const std::string &) override { return false; }
    bool StartSystemInformation() override { return false; }
    void Beep() override {}

private:
    bool enabled_ = true;
};

std::string MakeProject(const fs::path &folder)
{
    fs::create_directories(folder / "data");
    std::string project =
        "<?xml version='1.0' encoding='utf-8'?>\n<VorlProject version='400'>\n<header>\n"
        "<headerid>Vorl</headerid><indexnum>" +
        std::to_string(kEntries) +
        "</indexnum>\n"
        "<indexout>infile</indexout><indexmode>false</indexmode><indexbyte>4</indexbyte>\n"
        "<indexinterval>1</indexinterval><dataalign>4</dataalign><pathmode>relative</pathmode>\n"
        "<skipnofile>false</skipnofile><label>Index</label><usealias byte='4'>false</usealias>\n"
        "<changeendian>false</changeendian>\n</header>\n";
    for (int i = 0; i < kEntries; ++i) {
        std::string name = "data/item" + std::to_string(i) + ".bin";
        std::ofstream(folder / name, std::ios::binary) << std::string(static_cast<size_t>(100 + i % 900), 'x');
        project += "<index num='" + std::to_string(i) + "' use='true'><filename>" + name + "</filename><remarks>item " +
                   std::to_string(i) +
                   "</remarks><filesize high='0'>0</filesize><alias high='0'>0</alias>"
                   "<convertnum>0</convertnum></index>\n";
    }
    project += "</VorlProject>\n";
    const fs::path path = folder / "big.vorlprj";
    std::ofstream(path, std::ios::binary) << project;
    return path.string();
}

}  // namespace

int main(int argc, char **argv)
{
    const fs::path scratch = fs::path(argc > 1 ? argv[1] : fs::temp_directory_path()) / "vorl_project_load_bench";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    fs::remove_all(scratch);
    const std::string project = MakeProject(scratch);
    const std::string programFolder = fs::canonical("/proc/self/exe").parent_path().string();
    vorlmake::LibraryBinding library(programFolder);
    if (!library.Bind()) {
        std::fprintf(stderr, "project_load_bench: %s\n", library.Error().c_str());
        return 1;
    }
    std::vector<double> seconds;
    for (int round = 0; round < rounds; ++round) {
        SilentHost host;
        vorlmake::EditorModel model(host, library, programFolder, "2.0.2");
        model.UseSettingsFile((scratch / "none.ini").string());
        if (!model.StartUp({"-t"}, scratch.string())) {
            return 1;
        }
        auto start = std::chrono::steady_clock::now();
        bool opened = model.OpenProject(project);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!opened || model.State().entries[kEntries - 1].size == 0) {
            std::fprintf(stderr, "project_load_bench: the project did not open with its sizes\n");
            return 1;
        }
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    std::printf("open %d used entries with their size rescan: %.3f s (median of %d; goal < 0.300 s) %s\n", kEntries,
                median, rounds, median < 0.3 ? "met" : "NOT MET");
    fs::remove_all(scratch);
    return 0;
}
