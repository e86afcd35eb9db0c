#include "conversion_failure.h"

#include <cstring>

#include "library_calls.h"

namespace vorlmake {
namespace {

std::string SystemError(int error, const char *otherwise)
{
    return error != 0 ? std::string(otherwise) + " (" + std::strerror(error) + ")" : otherwise;
}

std::string Reason(const VorlFailureReport &report)
{
    // A missing file is what the library's message already says.
    switch (report.cause) {
        case VORL_CAUSE_FOLDER:
            return "ファイルではなくフォルダです。";
        case VORL_CAUSE_UNREADABLE:
            return SystemError(report.oserror, "読み込めません。");
        case VORL_CAUSE_EMPTY:
            return "ファイルが空です。";
        case VORL_CAUSE_UNWRITABLE:
            return SystemError(report.oserror, "書き込めません。");
        case VORL_CAUSE_NO_FOLDER:
            return "出力先のフォルダがありません。";
        case VORL_CAUSE_NOT_A_FILE:
            return "ファイルではなく、パイプかデバイスです。";
        case VORL_CAUSE_OUTPUT_IS_INPUT:
            return "出力ファイルが入力ファイルのひとつです。";
        case VORL_CAUSE_CONVERTER:
            if (report.status > 0) {
                return "変換コマンドが終了コード " + std::to_string(report.status) + " で終わりました。";
            }
            return report.status == 0 ? "変換コマンドが何も出力しませんでした。"
                                      : "変換コマンドがシグナルで止められました。";
        default:
            return {};
    }
}

}  // namespace

std::string DescribeFailureReport(const VorlFailureReport &report)
{
    std::string text;
    const std::string input = FieldToUtf8(report.input);
    const std::string file = FieldToUtf8(report.file);
    if (report.row >= 0) {
        text += "エントリ " + std::to_string(report.row) + (input.empty() ? "" : ": " + input) + "\r\n";
    }
    if (!file.empty() && file != input) {
        text += "ファイル: " + file + "\r\n";
    }
    if (std::string why = Reason(report); !why.empty() && !text.empty()) {
        text += why + "\r\n";
    }
    return text;
}

}  // namespace vorlmake
