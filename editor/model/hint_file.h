// The hint file "vorlhint.dat": CP932 fields separated by commas or line
// ends, quoted fields may hold commas. The first field counts the hints.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vorlmake {

constexpr const char *kNoHintText = "ヒントデータを読み込むことが出来ません。";

// The fields of a hint file's text (already turned into UTF-8).
std::vector<std::string> ReadHintFields(const std::string &text);

// The hint shown for a click: the hint file's content (or nothing when it
// cannot be read) and a random number in [0, 1). Picks r from 0 to N and
// shows field r + 1, or the last field that could be read.
std::string PickHint(const std::optional<std::string> &fileText, double random);

}  // namespace vorlmake
