// The message table and the version queries. The expected bytes were
// encoded independently of the library (by another CP932 codec), so a
// wrong character mapping in the host's converter shows up here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "vorl_cnv.h"

namespace {

const char *const kExpectedMessages[VORL_ERROR_CODE_COUNT] = {
    // 0: 正常終了しました。\n
    "\x90\xB3\x8F\xED\x8F\x49\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42\x0A",
    // -1: Prjファイルが見つかりません。\n
    "\x50\x72\x6A\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81"
    "\x42\x0A",
    // -2: Prjファイルのバージョンは、3.02以降を使用してください。\n
    "\x50\x72\x6A\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93\x82\xCD\x81\x41\x33"
    "\x2E\x30\x32\x88\xC8\x8D\x7E\x82\xF0\x8E\x67\x97\x70\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42\x0A",
    // -3: ツールのバージョンが、Prjよりも古いです。\n
    "\x83\x63\x81\x5B\x83\x8B\x82\xCC\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93\x82\xAA\x81\x41\x50\x72\x6A\x82\xE6\x82"
    "\xE8\x82\xE0\x8C\xC3\x82\xA2\x82\xC5\x82\xB7\x81\x42\x0A",
    // -4: このファイルは、VorlMakerのPrjファイルではありません。\n
    "\x82\xB1\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD\x81\x41\x56\x6F\x72\x6C\x4D\x61\x6B\x65\x72\x82\xCC\x50"
    "\x72\x6A\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x42\x0A",
    // -5: 有効なインデックスが１つもありません。\n
    "\x97\x4C\x8C\xF8\x82\xC8\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4E\x83\x58\x82\xAA\x82\x50\x82\xC2\x82\xE0\x82\xA0"
    "\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x42\x0A",
    // -6: 不正なアクセス。\n
    "\x95\x73\x90\xB3\x82\xC8\x83\x41\x83\x4E\x83\x5A\x83\x58\x81\x42\x0A",
    // -7: 作業領域が確保できませんでした。\n
    "\x8D\xEC\x8B\xC6\x97\xCC\x88\xE6\x82\xAA\x8A\x6D\x95\xDB\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5"
    "\x82\xBD\x81\x42\x0A",
    // -8: テンポラリファイルが作成できませんでした。\n
    "\x83\x65\x83\x93\x83\x7C\x83\x89\x83\x8A\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x8D\xEC\x90\xAC\x82\xC5\x82\xAB"
    "\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81\x42\x0A",
    // -9: ファイルが見つかりませんでした。\n
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5"
    "\x82\xBD\x81\x42\x0A",
    // -10: 入力ファイル数が多すぎます。\n
    "\x93\xFC\x97\xCD\x83\x74\x83\x40\x83\x43\x83\x8B\x90\x94\x82\xAA\x91\xBD\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81\x42"
    "\x0A",
    // -11: インデックスがオーバーしました。\n詳しくはヘルプを参照してください。\n
    "\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4E\x83\x58\x82\xAA\x83\x49\x81\x5B\x83\x6F\x81\x5B\x82\xB5\x82\xDC\x82\xB5"
    "\x82\xBD\x81\x42\x0A\x8F\xDA\x82\xB5\x82\xAD\x82\xCD\x83\x77\x83\x8B\x83\x76\x82\xF0\x8E\x51\x8F\xC6\x82\xB5\x82"
    "\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42\x0A",
    // -12: Header Save Filenameを指定して下さい。\n
    "\x48\x65\x61\x64\x65\x72\x20\x53\x61\x76\x65\x20\x46\x69\x6C\x65\x6E\x61\x6D\x65\x82\xF0\x8E\x77\x92\xE8\x82\xB5"
    "\x82\xC4\x89\xBA\x82\xB3\x82\xA2\x81\x42\x0A",
    // -13: 出力ファイルが作成できませんでした。\n
    "\x8F\x6F\x97\xCD\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1"
    "\x82\xC5\x82\xB5\x82\xBD\x81\x42\x0A",
    // -14: 自分より大きいインデックス番号を、参照することは出来ません。\n
    "\x8E\xA9\x95\xAA\x82\xE6\x82\xE8\x91\xE5\x82\xAB\x82\xA2\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4E\x83\x58\x94\xD4"
    "\x8D\x86\x82\xF0\x81\x41\x8E\x51\x8F\xC6\x82\xB7\x82\xE9\x82\xB1\x82\xC6\x82\xCD\x8F\x6F\x97\x88\x82\xDC\x82\xB9"
    "\x82\xF1\x81\x42\x0A",
    // -15: インデックスが許容範囲を超えています。\n
    "\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4E\x83\x58\x82\xAA\x8B\x96\x97\x65\x94\xCD\x88\xCD\x82\xF0\x92\xB4\x82\xA6"
    "\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81\x42\x0A",
    // -16: コマンドライン文字数が多すぎます。\n
    "\x83\x52\x83\x7D\x83\x93\x83\x68\x83\x89\x83\x43\x83\x93\x95\xB6\x8E\x9A\x90\x94\x82\xAA\x91\xBD\x82\xB7\x82\xAC"
    "\x82\xDC\x82\xB7\x81\x42\x0A",
    // -17: コマンドライン引数が多すぎます。\n
    "\x83\x52\x83\x7D\x83\x93\x83\x68\x83\x89\x83\x43\x83\x93\x88\xF8\x90\x94\x82\xAA\x91\xBD\x82\xB7\x82\xAC\x82\xDC"
    "\x82\xB7\x81\x42\x0A",
    // -18: テンポラリディレクトリが作成できませんでした。\n
    "\x83\x65\x83\x93\x83\x7C\x83\x89\x83\x8A\x83\x66\x83\x42\x83\x8C\x83\x4E\x83\x67\x83\x8A\x82\xAA\x8D\xEC\x90\xAC"
    "\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81\x42\x0A",
    // -19: 外部コマンドの実行でエラーが出ました。\n
    "\x8A\x4F\x95\x94\x83\x52\x83\x7D\x83\x93\x83\x68\x82\xCC\x8E\xC0\x8D\x73\x82\xC5\x83\x47\x83\x89\x81\x5B\x82\xAA"
    "\x8F\x6F\x82\xDC\x82\xB5\x82\xBD\x81\x42\x0A",
    // -20: DLLが初期化されていません。\n
    "\x44\x4C\x4C\x82\xAA\x8F\x89\x8A\xFA\x89\xBB\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81\x42\x0A",
    // -21: XMLプロジェクト解析中にエラーが発生しました。\n
    "\x58\x4D\x4C\x83\x76\x83\x8D\x83\x57\x83\x46\x83\x4E\x83\x67\x89\xF0\x90\xCD\x92\x86\x82\xC9\x83\x47\x83\x89\x81"
    "\x5B\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42\x0A",
    // -22: XMLパーサーが起動できませんでした。\n
    "\x58\x4D\x4C\x83\x70\x81\x5B\x83\x54\x81\x5B\x82\xAA\x8B\x4E\x93\xAE\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82"
    "\xC5\x82\xB5\x82\xBD\x81\x42\x0A",
};

TEST(ErrorMessages, AllCodesGiveTheirCp932Bytes)
{
    for (int i = 0; i < VORL_ERROR_CODE_COUNT; ++i) {
        char buffer[256];
        std::memset(buffer, 'x', sizeof buffer);
        ASSERT_EQ(0, VorlGetErrorStrings(-i, buffer, sizeof buffer)) << -i;
        EXPECT_STREQ(kExpectedMessages[i], buffer) << "code " << -i;
        // The rest of the buffer is filled with NUL.
        size_t length = std::strlen(buffer);
        for (size_t k = length; k < sizeof buffer; ++k) {
            ASSERT_EQ('\0', buffer[k]) << "code " << -i << " byte " << k;
        }
    }
}

TEST(ErrorMessages, IndexOverflowHoldsTwoLines)
{
    char buffer[256];
    ASSERT_EQ(0, VorlGetErrorStrings(VORL_ERR_INDEX_OVERFLOW, buffer, sizeof buffer));
    std::string text = buffer;
    ASSERT_EQ(2, std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ('\n', text.back());
}

TEST(ErrorMessages, UnknownCodesAndBadBuffersLeaveTheBufferAlone)
{
    struct Case {
        int code;
        int size;
    };
    for (Case c : {Case{1, 16}, Case{-23, 16}, Case{0, 0}, Case{-1, -5}}) {
        char buffer[16];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(-1, VorlGetErrorStrings(c.code, buffer, c.size)) << c.code << " " << c.size;
        EXPECT_EQ(std::string(16, 'x'), std::string(buffer, 16));
    }
    EXPECT_EQ(-1, VorlGetErrorStrings(0, nullptr, 16));
}

TEST(ErrorMessages, ShortBufferKeepsTheFirstBytesEvenMidCharacter)
{
    for (int size : {1, 2, 10, 11}) {
        char buffer[32];
        std::memset(buffer, 'x', sizeof buffer);
        ASSERT_EQ(0, VorlGetErrorStrings(0, buffer, size));
        EXPECT_EQ(std::string(kExpectedMessages[0], static_cast<size_t>(size - 1)), std::string(buffer));
        EXPECT_EQ('x', buffer[size]) << "wrote past the buffer of " << size;
    }
}

// Every code has an English message of its own: plain ASCII, ended like
// the Japanese one, with as many lines; other languages get the Japanese
// text in UTF-8.
TEST(MessageText, EveryCodeHasItsEnglishMessage)
{
    for (int i = 0; i < VORL_ERROR_CODE_COUNT; ++i) {
        char english[512];
        char japanese[512];
        char cp932[256];
        ASSERT_EQ(0, VorlGetMessageText(-i, "en", english, sizeof english)) << -i;
        ASSERT_EQ(0, VorlGetMessageText(-i, "ja", japanese, sizeof japanese)) << -i;
        ASSERT_EQ(0, VorlGetErrorStrings(-i, cp932, sizeof cp932));
        std::string text = english;
        EXPECT_GT(text.size(), 10U) << -i;
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            << text;
        EXPECT_EQ('\n', text.back()) << -i;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(cp932, cp932 + std::strlen(cp932), '\n'))
            << -i;
        EXPECT_STRNE(english, japanese) << -i;
        EXPECT_NE(std::string(cp932), std::string(japanese)) << "the Japanese text is UTF-8, not CP932: " << -i;
    }
    char buffer[64];
    for (const char *language : {"en_GB.UTF-8", "en"}) {
        ASSERT_EQ(0, VorlGetMessageText(VORL_ERR_FILE_NOT_FOUND, language, buffer, sizeof buffer));
        EXPECT_STREQ("The file was not found.\n", buffer);
    }
    for (const char *language : {"ja", "ja_JP", "de", "", static_cast<const char *>(nullptr)}) {
        ASSERT_EQ(0, VorlGetMessageText(VORL_ERR_FILE_NOT_FOUND, language, buffer, sizeof buffer));
        EXPECT_STREQ("ファイルが見つかりませんでした。\n", buffer);
    }
}

TEST(MessageText, ShortBuffersAndUnknownCodes)
{
    char buffer[8];
    EXPECT_EQ(25, VorlGetMessageText(VORL_ERR_FILE_NOT_FOUND, "en", buffer, sizeof buffer));
    EXPECT_STREQ("The fil", buffer);
    EXPECT_EQ(-1, VorlGetMessageText(1, "en", buffer, sizeof buffer));
    EXPECT_EQ(-1, VorlGetMessageText(-VORL_ERROR_CODE_COUNT, "en", buffer, sizeof buffer));
    EXPECT_EQ(-1, VorlGetMessageText(0, "en", nullptr, 8));
    EXPECT_EQ(-1, VorlGetMessageText(0, "en", buffer, 0));
}

TEST(Versions, LibraryAndProjectFormat)
{
    EXPECT_EQ(0x2000002, VorlGetDllVersion());
    EXPECT_EQ(0x0200, VorlGetDllVersion() >> 16);
    EXPECT_EQ(400, VorlGetPrjVersion());
}

}  // namespace
