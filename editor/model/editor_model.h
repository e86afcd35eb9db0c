// The editor's rules: start-up, the project reset, the entry pages and
// their navigation, and the settings menus. Plain C++: the window is
// reached only through EditorHost.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <vector>
#include <string>

#include "editor_host.h"
#include "editor_state.h"
#include "menu_state.h"

namespace vorlmake {

// The window title up to the version number.
inline const std::string kProgramName = "Vorl Maker for Linux Ver ";

class EditorModel {
public:
    EditorModel(EditorHost &host, LibraryApi &library, std::string programFolder, std::string appVersion,
                std::function<double()> random = nullptr);

    // The start-up sequence with the program's arguments as they were
    // given, in the folder the program was started from (the base of the
    // names among them). False when the program must end at once (a
    // library of another version).
    bool StartUp(const std::vector<std::string> &arguments, const std::string &startFolder);
    // The settings file read at start-up and on every reset; beside the
    // program files (the folder given at construction) unless set here.
    void UseSettingsFile(std::string path) { settingsFile_ = std::move(path); }
    // The user's own settings file, where the run settings are kept; the
    // settings file above unless set here.
    void UseUserSettingsFile(std::string path) { userSettingsFile_ = std::move(path); }
    // The status a run started with "-e" ends with: 0, or the library's
    // code negated when the project could not be read or converted (1 when
    // the run stopped before the library was asked).
    int ExitStatus() const { return exitStatus_; }

    void ResetProject();
    void LoadSettings();
    void ShowPage();
    void ShowRow(int row);
    void ShowAlignMenu();
    void MarkModified();

    // Navigation.
    void FirstPage();
    void PreviousPage();
    void NextPage();
    void LastPage();
    void EnterPage(const std::string &text);
    void EnterInterval(const std::string &text);
    void mnuDispAlias_Click();

    // The settings menus and the tool and help menus.
    void mnuKgr_Click(int item);
    void mnuHeader_Click(int item);
    void mnu_PathSel_Click(int item);
    void mnuIdxTp_Click(int item);
    void mnuAlsTp_Click(int item);
    void mnuEndi_Click(int item);
    void mnuAlias_Click();
    void mnuIndex_ffff_Click();
    void mnuNoFile_Click();
    void mnuSetLabel_Click();
    void mnuCommpress_Click();
    void mnu_SoundOff_Click();
    void mnu_ShowHelp_Click();
    void mnuVersion_Click();
    void mnuEnd_Click();

    // Entry editing (row r of the current page is entry Page x 10 + r).
    void chkIndex_Click(int row, bool ticked);
    void txtVorName_DblClick(int row);
    void txtVorName_Click(int row);
    void txtVorName_Drop(int row, const std::vector<std::string> &paths);
    bool RegisterFile(int row, const std::string &path);
    void txtVorName_Insert(int row);
    void txtVorName_Delete(int row);
    void cmbDataConv_Click(int row, int item);
    // The remarks field changed; returns the text the field must show when
    // characters were dropped.
    std::optional<std::string> txtBikou_Change(int row, const std::string &text);
    void txtBikou_Commit(int row, const std::string &text);
    void txtSize_Enter(int row, const std::string &text);
    void txtSize_DblClick(int row);
    void ScanEntrySize(int entry, bool force);
    void mnuFileScan_Click();

    // Project commands.
    void mnuNew_Click();
    void mnuLoadPrj_Click();
    void OpenDroppedFile(const std::vector<std::string> &paths);
    // Takes the path by value: callers pass Prj_file, which the reset clears.
    bool LoadProject(std::string path);
    void mnuSavePrj_Click();
    void mnuSaveAs_Click();
    bool SaveProject();
    // The close check: true when the window may close.
    bool QueryClose();
    bool ChooseDataFile();
    bool CheckEntries();
    void SetProjectPath(const std::string &path);
    // The conversion run (Ctrl+R).
    void mnuStart_Click();
    // Asks a running conversion to stop before its next row; the previous
    // outputs stay as they were. Safe to call from any thread.
    void StopConversion();
    // How conversions run (jobs, cache): asked in a dialog and kept in the
    // user's settings file, not in the project.
    void ChangeRunSettings();
    const RunSettings &CurrentRunSettings() const { return runSettings_; }
    // The header file name asked for by the run; false when the run stops.
    bool AskHeaderFile();

    // The title with the program's version written as "2.02".
    std::string ShortTitle() const;

    // True while the library converts: every command and edit is refused
    // until the run has ended, whatever route it comes by.
    bool IsConverting() const { return converting_; }

    EditorState &State() { return state_; }
    const MenuState &Menus() const { return menus_; }

private:
    void ShowMenus() { host_.ShowMenus(menus_); }
    int EntryOf(int row) const { return state_.Page * kRowsPerPage + row; }
    EditEntry &Entry(int number) { return state_.Entries[static_cast<size_t>(number)]; }
    int64_t RoundUpToAlignment(int64_t size) const;
    // True while nothing may act on the project: the program rewrites
    // controls, or the library converts.
    bool Busy() const { return state_.NowPrint || converting_; }
    // Measures one entry; the full path of a file that cannot be read.
    std::optional<std::string> MeasureEntry(int entry, bool force);
    void ReportUnreadableFiles(const std::vector<std::string> &paths);
    bool SaveAs();
    // Entry names relative to one folder rewritten to name the same files
    // from another.
    EntryList EntriesRebased(const std::string &fromFolder, const std::string &toFolder);
    // The alias width that the alias table is written with, in bytes.
    int AliasWidth() const;
    bool IsParent(int entry) const;
    bool AskToSaveChanges(const char *question);
    bool SaveOrSaveAs();
    void ApplyLoadedSettingsToMenus();
    void SetChecked(bool *items, size_t count, int item);
    const std::string &UserSettingsFile() const { return userSettingsFile_.empty() ? settingsFile_ : userSettingsFile_; }
    static int ReportProgress(void *context, const VorlProgress *progress);
    int ConvertProjectFile(const std::string &project, const std::string &data, const std::string &header,
                           const std::string &workbase, VorlConvertOptions &options);

    EditorHost &host_;
    LibraryApi &library_;
    std::function<double()> random_;
    EditorState state_;
    MenuState menus_;
    bool converting_ = false;
    std::atomic<bool> stopAsked_{false};
    int exitStatus_ = 0;
    std::string settingsFile_;
    std::string userSettingsFile_;
    RunSettings runSettings_;
};

// The text of the version check's refusal for a library version.
std::string VersionMismatchText(int version);
// True for every library whose upper 16 bits are 0x0200.
bool IsAcceptedLibraryVersion(int version);
// The library version as three decimal numbers, "2.0.2".
std::string DllVersionText(int version);
// Keeps the characters a remarks or label field may hold (see the
// definition); true when anything was dropped.
bool FilterRemarks(std::string &text, size_t limit, size_t byteLimit);
// A label or type text as the header label dialog keeps it; nothing when
// no character had to be dropped.
std::optional<std::string> FilterLabelText(const std::string &text);
// Lines of a message, the first twenty and a count of the others.
std::string ListOfAtMostTwenty(const std::vector<std::string> &lines);
// A leading number of a text, rounded half to even; 0 when there is none.
long LeadingNumber(const std::string &text);

}  // namespace vorlmake
