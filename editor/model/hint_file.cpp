#include "hint_file.h"

#include "number_text.h"

namespace vorlmake {

std::vector<std::string> ReadHintFields(const std::string &content)
{
    std::string text;
    for (size_t k = 0; k < content.size(); ++k) {
        if (!(content[k] == '\r' && k + 1 < content.size() && content[k + 1] == '\n')) {
            text.push_back(content[k]);
        }
    }
    std::vector<std::string> fields;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') {
            ++i;
        }
        size_t end;
        if (i < text.size() && text[i] == '"') {
            size_t close = text.find('"', i + 1);
            close = close == std::string::npos ? text.size() : close;
            fields.push_back(text.substr(i + 1, close - i - 1));
            end = text.find_first_of(",\n", close);
        } else {
            end = text.find_first_of(",\n", i);
            fields.push_back(text.substr(i, end == std::string::npos ? std::string::npos : end - i));
        }
        i = end == std::string::npos ? text.size() : end + 1;
    }
    return fields;
}

std::string PickHint(const std::optional<std::string> &fileText, double random)
{
    std::string shown = kNoHintText;
    if (!fileText) {
        return shown;
    }
    std::vector<std::string> fields = ReadHintFields(*fileText);
    if (fields.empty()) {
        return shown;
    }
    shown = fields[0];
    long count = static_cast<long>(vorl::common::SaturatedSigned(vorl::common::ReadNumberText(fields[0])));
    long pick = static_cast<long>(random * (static_cast<double>(count) + 0.9999));
    for (long k = 1; k <= pick + 1 && k < static_cast<long>(fields.size()); ++k) {
        shown = fields[static_cast<size_t>(k)];
    }
    return shown;
}

}  // namespace vorlmake
