// Where the editor finds its files: beside the program in the build tree,
// under share/vorlmake installed; settings from the user's configuration
// folder first.
#include <cstdlib>
#include <optional>

#include <gtest/gtest.h>

#include "installed_files.h"
#include "test_support.h"

namespace vorl::test {
namespace {

class EnvironmentValue {
public:
    EnvironmentValue(const char *name, const std::string &value) : name_(name)
    {
        if (const char *old = std::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvironmentValue()
    {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char *name_;
    std::optional<std::string> old_;
};

TEST(InstalledFiles, BuildTreeThenInstallLayoutThenConfigurationFolders)
{
    TempFolder root;
    const std::string bin = (root / "bin").string();
    fs::create_directories(root / "bin");
    fs::create_directories(root / "share/vorlmake");
    WriteFile(root / "share/vorlmake/help.htm", "help");
    EnvironmentValue home("XDG_CONFIG_HOME", (root / "home-config").string());
    EnvironmentValue system("XDG_CONFIG_DIRS", (root / "etc-xdg").string());

    // Installed: the data under share/, no settings anywhere yet.
    vorlmake::ProgramFiles files = vorlmake::FindProgramFiles(bin);
    EXPECT_EQ(fs::weakly_canonical(root / "share/vorlmake"), fs::weakly_canonical(files.dataFolder));
    EXPECT_EQ(bin + "/vorlmake.ini", files.settingsFile);

    // Settings: the system's folder, then the user's, which wins.
    fs::create_directories(root / "etc-xdg/vorlmake");
    WriteFile(root / "etc-xdg/vorlmake/vorlmake.ini", "[Setup]\n");
    EXPECT_EQ((root / "etc-xdg/vorlmake/vorlmake.ini").string(), vorlmake::FindProgramFiles(bin).settingsFile);
    fs::create_directories(root / "home-config/vorlmake");
    WriteFile(root / "home-config/vorlmake/vorlmake.ini", "[Setup]\n");
    EXPECT_EQ((root / "home-config/vorlmake/vorlmake.ini").string(), vorlmake::FindProgramFiles(bin).settingsFile);

    // The build tree: the files beside the program come first.
    WriteFile(root / "bin/help.htm", "help");
    EXPECT_EQ(bin, vorlmake::FindProgramFiles(bin).dataFolder);
}

}  // namespace
}  // namespace vorl::test
