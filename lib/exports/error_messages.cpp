#include "error_messages.h"

#include <array>
#include <cstring>

#include "code_page.h"
#include "vorl_cnv.h"

namespace vorl {
namespace {

// Indexed by the negated code. Kept in UTF-8 here and turned into CP932
// once, on first use.
constexpr std::array<const char *, VORL_ERROR_CODE_COUNT> kMessages = {
    "正常終了しました。\n",
    "Prjファイルが見つかりません。\n",
    "Prjファイルのバージョンは、3.02以降を使用してください。\n",
    "ツールのバージョンが、Prjよりも古いです。\n",
    "このファイルは、VorlMakerのPrjファイルではありません。\n",
    "有効なインデックスが１つもありません。\n",
    "不正なアクセス。\n",
    "作業領域が確保できませんでした。\n",
    "テンポラリファイルが作成できませんでした。\n",
    "ファイルが見つかりませんでした。\n",
    "入力ファイル数が多すぎます。\n",
    "インデックスがオーバーしました。\n詳しくはヘルプを参照してください。\n",
    "Header Save Filenameを指定して下さい。\n",
    "出力ファイルが作成できませんでした。\n",
    "自分より大きいインデックス番号を、参照することは出来ません。\n",
    "インデックスが許容範囲を超えています。\n",
    "コマンドライン文字数が多すぎます。\n",
    "コマンドライン引数が多すぎます。\n",
    "テンポラリディレクトリが作成できませんでした。\n",
    "外部コマンドの実行でエラーが出ました。\n",
    "DLLが初期化されていません。\n",
    "XMLプロジェクト解析中にエラーが発生しました。\n",
    "XMLパーサーが起動できませんでした。\n",
};

const std::array<std::string, VORL_ERROR_CODE_COUNT> &Cp932Messages()
{
    static const std::array<std::string, VORL_ERROR_CODE_COUNT> table = [] {
        std::array<std::string, VORL_ERROR_CODE_COUNT> converted;
        for (size_t i = 0; i < kMessages.size(); ++i) {
            converted[i] = host::Utf8ToCp932(kMessages[i]).value_or(std::string());
        }
        return converted;
    }();
    return table;
}

}  // namespace

std::optional<std::string> ErrorMessage(int code)
{
    if (code > 0 || code <= -VORL_ERROR_CODE_COUNT) {
        return std::nullopt;
    }
    return Cp932Messages()[static_cast<size_t>(-code)];
}

}  // namespace vorl
