// Which of the settings' choices are marked and which can be chosen. The
// switches live here; every other choice lives in the project block and its
// marks only mirror it.
#pragma once

#include <array>

namespace vorlmake {

struct ChoiceMarks {
    std::array<bool, 8> alignment{};     // データの境界設定, in kAlignmentChoices order
    std::array<bool, 4> headerOutput{};  // ヘッダを出力, in output mode order
    std::array<bool, 3> pathMode{};      // ファイルのパス指定
    std::array<bool, 4> indexBytes{};    // インデックス型タイプ: 1, 2, 4, 8 bytes
    // Of the index widths only 2 and 4 bytes are offered: "１バイト" and
    // "８バイト" are shown but cannot be chosen (a loaded project may still
    // hold them).
    std::array<bool, 4> indexBytesOffered{false, true, true, false};
    std::array<bool, 4> aliasBytes{};  // エイリアス型タイプ: 1, 2, 4, 8 bytes
    std::array<bool, 2> byteOrder{};   // インデックスエンディアン: little, big
    bool aliasTable = false;           // エイリアス情報を付加する
    bool missingIndexAllOnes = false;  // 欠番インデックスをFFFFにする
    bool missingFileUnused = false;    // ファイルが無い場合は欠番にする
    bool soundOff = false;             // サウンドを鳴らさない
    bool aliasColumn = false;          // エイリアスを表示
    // Not choosable while the header output is "出力しない(&N)".
    bool labelsEditable = true;
    bool missingIndexChoosable = true;
    bool byteOrderChoosable = true;
    bool indexBytesChoosable = true;
    bool aliasChoosable = true;

    bool operator==(const ChoiceMarks &other) const = default;
};

// The alignments one can choose, in the order they are offered.
constexpr std::array<int, 8> kAlignmentChoices = {1, 4, 16, 64, 128, 256, 2048, 4096};

}  // namespace vorlmake
