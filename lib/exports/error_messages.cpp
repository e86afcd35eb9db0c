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

// The same messages in English, for users who ask for it (the extension
// export VorlGetMessageText); the described table above stays as it is.
constexpr std::array<const char *, VORL_ERROR_CODE_COUNT> kEnglishMessages = {
    "The conversion finished normally.\n",
    "The project file was not found.\n",
    "Use a project file of version 3.02 or later.\n",
    "The tool is older than the project file.\n",
    "This file is not a VorlMaker project file.\n",
    "There is not one valid index entry.\n",
    "Invalid access.\n",
    "The working memory could not be allocated.\n",
    "The temporary file could not be created.\n",
    "The file was not found.\n",
    "There are too many input files.\n",
    "The index overflowed.\nSee the help for details.\n",
    "Give the header file's name (Header Save Filename).\n",
    "The output file could not be created.\n",
    "An entry cannot refer to an index number above its own.\n",
    "The index is out of the allowed range.\n",
    "The command line has too many characters.\n",
    "The command line has too many arguments.\n",
    "The temporary folder could not be created.\n",
    "An external command failed.\n",
    "The library has not been initialised.\n",
    "An error occurred while reading the XML project.\n",
    "The XML parser could not be started.\n",
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

bool KnownCode(int code)
{
    return code <= 0 && code > -VORL_ERROR_CODE_COUNT;
}

}  // namespace

std::optional<std::string> MessageText(int code, common::MessageLanguage language)
{
    if (!KnownCode(code)) {
        return std::nullopt;
    }
    const auto &table = language == common::MessageLanguage::English ? kEnglishMessages : kMessages;
    return std::string(table[static_cast<size_t>(-code)]);
}

std::optional<std::string> ErrorMessage(int code)
{
    if (!KnownCode(code)) {
        return std::nullopt;
    }
    return Cp932Messages()[static_cast<size_t>(-code)];
}

}  // namespace vorl
