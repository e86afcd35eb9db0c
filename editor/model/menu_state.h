// The check marks and enabled states of the settings menus. The switches
// live here; every other choice lives in the project block and its marks
// only mirror it.
#pragma once

#include <array>

namespace vorlmake {

struct MenuState {
    std::array<bool, 8> kgr{};      // データの境界設定
    std::array<bool, 4> header{};   // ヘッダを出力
    std::array<bool, 3> pathSel{};  // ファイルのパス指定
    std::array<bool, 4> idxTp{};    // インデックス型タイプ
    std::array<bool, 4> alsTp{};    // エイリアス型タイプ
    std::array<bool, 2> endi{};     // インデックスエンディアン
    bool alias = false;             // エイリアス情報を付加する
    bool indexFfff = false;         // 欠番インデックスをFFFFにする
    bool noFile = false;            // ファイルが無い場合は欠番にする
    bool soundOff = false;          // サウンドを鳴らさない
    bool dispAlias = false;         // エイリアスを表示
    // Greyed while the header output is "出力しない(&N)".
    bool setLabelEnabled = true;
    bool indexFfffEnabled = true;
    bool endianEnabled = true;
    bool idxTypeEnabled = true;
    bool aliasEnabled = true;
};

// Alignment values of the items of データの境界設定, in menu order.
constexpr std::array<int, 8> kAlignmentItems = {1, 4, 16, 64, 128, 256, 2048, 4096};

}  // namespace vorlmake
