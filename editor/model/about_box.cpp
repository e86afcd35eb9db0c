#include "about_box.h"

#include "hint_file.h"
#include "text_codec.h"

namespace vorlmake {

std::string TitleVersionText(const std::string &appVersion)
{
    return "Ver " + appVersion + "  " + kReleaseDate;
}

AboutBox::AboutBox(EditorHost &host, const std::string &appDir, const std::string &appVersion,
                   const std::string &dllVersion, std::function<double()> random)
    : host_(host), hintFile_(appDir + "vorlhint.dat"), random_(std::move(random))
{
    view_.caption = std::string(kProgramTitle) + "のバージョン情報";
    view_.title = kProgramTitle;
    view_.version = "バージョン " + appVersion + "  " + kReleaseDate;
    view_.dllVersion = "DLLバージョン " + dllVersion;
    view_.hint = kHintPrompt;
}

void AboutBox::ShowNextHint()
{
    std::optional<std::string> text;
    if (auto bytes = host_.ReadFile(hintFile_)) {
        text = Cp932ToUtf8(*bytes);
    }
    view_.hint = PickHint(text, random_());
    host_.Beep();
}

void AboutBox::TouchIcon()
{
    view_.hint = "\r\n気安くさわるなっ！";
}

void AboutBox::ShowSystemInformation()
{
    if (!host_.StartSystemInformation()) {
        host_.ShowMessage("現時点ではｼｽﾃﾑ情報を使用できません", kProgramTitle, MessageIcon::None, MessageButtons::Ok);
    }
}

}  // namespace vorlmake
