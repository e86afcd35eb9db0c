// The editor's rules: start-up, the project reset, the entry pages and
// their navigation, and the settings menus. Plain C++: the window is
// reached only through EditorHost.
#pragma once

#include <functional>
#include <string>

#include "editor_host.h"
#include "editor_state.h"
#include "menu_state.h"

namespace vorlmake {

class EditorModel {
public:
    EditorModel(EditorHost &host, LibraryApi &library, std::string programFolder, std::string appVersion,
                std::function<double()> random = nullptr);

    // The start-up sequence. False when the program must end at once (a
    // library of another version).
    bool StartUp(const std::string &commandLine);

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

    EditorState &State() { return state_; }
    const MenuState &Menus() const { return menus_; }

private:
    void ShowMenus() { host_.ShowMenus(menus_); }
    void SetChecked(bool *items, size_t count, int item);

    EditorHost &host_;
    LibraryApi &library_;
    std::function<double()> random_;
    EditorState state_;
    MenuState menus_;
};

// The text of the version check's refusal for a library version.
std::string VersionMismatchText(int version);
// True for every library whose upper 16 bits are 0x0200.
bool IsAcceptedLibraryVersion(int version);
// The library version as three decimal numbers, "2.0.2".
std::string DllVersionText(int version);
// A leading number of a text, rounded half to even; 0 when there is none.
long LeadingNumber(const std::string &text);

}  // namespace vorlmake
