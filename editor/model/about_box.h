// The about box: versions, a random hint from the hint file, the icon's
// remark and the system information button.
#pragma once

#include <functional>
#include <string>

#include "editor_host.h"

namespace vorlmake {

constexpr const char *kProgramTitle = "VorlMaker for Linux";
constexpr const char *kReleaseDate = "2006/ 9/24";
constexpr const char *kHintPrompt = "ここをクリックすると、ヒントが出るよ";

class AboutBox {
public:
    AboutBox(EditorHost &host, const std::string &appDir, const std::string &appVersion, const std::string &dllVersion,
             std::function<double()> random);

    const AboutView &View() const { return view_; }
    void ShowNextHint();
    void TouchIcon();
    void ShowSystemInformation();

private:
    EditorHost &host_;
    std::string hintFile_;
    std::function<double()> random_;
    AboutView view_;
};

// "Ver " and the versions as the title window shows them.
std::string TitleVersionText(const std::string &appVersion);

}  // namespace vorlmake
