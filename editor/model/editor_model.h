// The editor's rules: start-up, the project reset, the entry pages and
// their navigation, and the settings menus. Plain C++: the window is
// reached only through EditorHost.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "choice_marks.h"
#include "editor_host.h"
#include "editor_state.h"
#include "project_history.h"

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

    // A new, empty project without asking (start-up, after a failed open).
    void ResetProject();
    // Redraws the current page, or one row of it.
    void ShowPage();
    void ShowRow(int row);

    // Paging through the entries.
    void FirstPage();
    void PreviousPage();
    void NextPage();
    void LastPage();
    void GoToPage(const std::string &typed);
    void SetPageInterval(const std::string &typed);
    void ToggleAliasColumn();

    // The project's settings. Each marks the project modified when it
    // changes what the project file stores.
    void SetAlignment(int bytes);    // one of kAlignmentChoices
    void SetHeaderOutput(int mode);  // a VorlIndexOutput
    void SetPathMode(int mode);      // a VorlPathMode
    void SetIndexBytes(int bytes);   // 1, 2, 4 or 8
    void SetAliasBytes(int bytes);   // 1, 2, 4 or 8
    void SetBigEndian(bool bigEndian);
    void ToggleAliasTable();
    void ToggleMissingIndexAllOnes();
    void ToggleMissingFileUnused();
    void EditHeaderLabels();
    void EditConverters();
    // The program's own switches and windows.
    void ToggleSound();
    void ShowHelp();
    void ShowAbout();
    void Quit();

    // Entry editing: row r of the current page is entry page x 10 + r.
    void SetEntryInUse(int row, bool inUse);
    void ChooseInputFile(int row);
    void SelectRow(int row);
    void RegisterDroppedFiles(int row, const std::vector<std::string> &paths);
    bool RegisterFile(int row, const std::string &path);
    void InsertEntry(int row);
    void DeleteEntry(int row);
    void SetEntryConverter(int row, int converter);  // 0 none, 1 to 4
    // The remarks as they are being typed; returns the text the field must
    // show when characters were dropped.
    std::optional<std::string> EditRemarks(int row, const std::string &text);
    // The alias typed into the remarks column while it shows aliases.
    void SetAlias(int row, const std::string &typed);
    void SetEntrySize(int row, const std::string &typed);
    // Stops keeping a typed size: the file is measured again.
    void ReleaseTypedSize(int row);
    void RescanSizes();

    // The project and its outputs.
    void NewProject();
    void ChooseProjectToOpen();
    void OpenDroppedProject(const std::vector<std::string> &paths);
    // Takes the path by value: callers pass projectFile, which the reset clears.
    bool OpenProject(std::string path);
    void SaveProject();
    void SaveProjectAs();
    // The close check: true when the window may close.
    bool MayClose();
    bool ChooseDataFile();
    // The data and header files of the next run, as "-s" and "-h" name them.
    void UseDataFile(const std::string &path);
    void UseHeaderFile(const std::string &path);
    // Refuses a run whose entries cannot be converted, saying why.
    bool CheckEntries();
    // The conversion run (Ctrl+R).
    void RunConversion();
    // Asks a running conversion to stop at once, ending the converters
    // that run; the previous outputs stay as they were. Safe to call from
    // any thread.
    void StopConversion();
    // Stops for good, as a signal that ends the program asks: a run under
    // way stops at once as with StopConversion, and no run starts from now
    // on. True when a run was under way: it removes what it made and
    // returns by itself. Async-signal-safe.
    bool StopForGood();
    // True from the moment a run begins to make files until it has
    // removed them again.
    bool IsRunUnderWay() const;
    // How conversions run (jobs, cache): asked in a dialog and kept in the
    // user's settings file, not in the project.
    void ChangeRunSettings();
    // Takes back the last change to the project, or does it again.
    void Undo();
    void Redo();
    bool CanUndo() const { return history_.CanUndo(); }
    bool CanRedo() const { return history_.CanRedo(); }

    // What the window and the tests read.
    const EditorState &State() const { return state_; }
    const ChoiceMarks &Marks() const { return marks_; }
    const RunSettings &CurrentRunSettings() const { return runSettings_; }
    const std::string &ProjectFile() const { return state_.projectFile; }
    int CurrentPage() const { return state_.currentPage; }
    bool IsModified() const { return state_.modified; }
    // True while the library converts: every command and edit is refused
    // until the run has ended, whatever route it comes by.
    bool IsRunning() const { return converting_; }
    // The title with the program's version written as "2.02".
    std::string ShortTitle() const;

private:
    // Whatever one operation changes in the project becomes one step of
    // the undo history; operations called by others join their caller's.
    class ChangeScope {
    public:
        explicit ChangeScope(EditorModel &model, std::string mergeKey = {});
        ~ChangeScope();
        ChangeScope(const ChangeScope &) = delete;
        ChangeScope &operator=(const ChangeScope &) = delete;

    private:
        EditorModel &model_;
    };
    struct PendingChange {
        ProjectSettings before;
        EntryList entries;
        std::string mergeKey;
    };
    ProjectSettings CurrentSettings() const { return {state_.block, state_.texts, marks_}; }
    void FinishChange();
    void ApplyStep(const ProjectSettings &settings, const std::vector<std::pair<int, EditEntry>> &entries);
    void ShowUndoAvailability() { host_.ShowUndoAvailability(history_.CanUndo(), history_.CanRedo()); }
    void StartNewHistory();
    void LoadSettings();
    void ShowAlignmentMarks();
    void MarkModified();
    bool WriteProject();
    void SetProjectPath(const std::string &path);
    // The header file name asked for by the run; false when the run stops.
    bool ChooseHeaderFile();
    void ScanEntrySize(int entry, bool force);
    void ShowChoiceMarks() { host_.ShowChoiceMarks(marks_); }
    int EntryOf(int row) const { return state_.currentPage * kRowsPerPage + row; }
    EditEntry &Entry(int number) { return state_.entries[static_cast<size_t>(number)]; }
    int64_t RoundUpToAlignment(int64_t size) const;
    // True while nothing may act on the project: the program rewrites
    // controls, or the library converts.
    bool Busy() const { return state_.redrawing || converting_; }
    // Measures one entry; the full path of a file that cannot be read.
    std::optional<std::string> MeasureEntry(int entry, bool force);
    void ReportUnreadableFiles(const std::vector<std::string> &paths);
    bool SaveUnderChosenName();
    // Entry names relative to one folder rewritten to name the same files
    // from another.
    EntryList EntriesRebased(const std::string &fromFolder, const std::string &toFolder);
    // The alias width that the alias table is written with, in bytes.
    int AliasWidth() const;
    // An alias as the remarks column shows it at the current width.
    std::string AliasText(int64_t alias) const;
    bool IsParent(int entry) const;
    bool AskToSaveChanges(const char *question);
    bool SaveOrSaveAs();
    void ApplyLoadedSettingsToMarks();
    void SetChecked(bool *items, size_t count, int item);
    const std::string &UserSettingsFile() const
    {
        return userSettingsFile_.empty() ? settingsFile_ : userSettingsFile_;
    }
    static int ReportProgress(void *context, const VorlProgress *progress);
    // The working directory is made under `options.workbase`; relative
    // names are `folder`'s.
    int ConvertProjectFile(const std::string &project, const std::string &folder, const std::string &data,
                           const std::string &header, VorlConvertOptions &options);

    EditorHost &host_;
    LibraryApi &library_;
    std::function<double()> random_;
    EditorState state_;
    ChoiceMarks marks_;
    bool converting_ = false;
    // The library watches it while converters run (only ever accessed
    // atomically).
    volatile int32_t stopFlag_ = 0;
    // Set by StopForGood, perhaps from a signal handler; a run is under
    // way while it has files to remove (both only ever accessed
    // atomically).
    volatile int32_t stopForGood_ = 0;
    volatile int32_t runUnderWay_ = 0;
    int exitStatus_ = 0;
    std::string settingsFile_;
    std::string userSettingsFile_;
    RunSettings runSettings_;
    ProjectHistory history_;
    int changeDepth_ = 0;
    PendingChange pending_;
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
