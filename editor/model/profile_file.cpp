#include "profile_file.h"

#include <cctype>

namespace vorlmake {
namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string_view LineEnding(std::string_view content)
{
    return content.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
}

}  // namespace

std::string WriteProfileString(std::string_view content, std::string_view section, std::string_view key,
                               std::string_view value)
{
    const std::string_view ending = LineEnding(content);
    bool quoted = !value.empty() && (value.front() == ' ' || value.back() == ' ' || value.front() == '"' ||
                                     value.front() == '\'' || value.front() == '\t' || value.back() == '\t');
    std::string line = std::string(key) + "=" + (quoted ? "\"" + std::string(value) + "\"" : std::string(value));
    std::string result;
    bool inSection = false;
    bool sectionSeen = false;
    bool written = false;
    size_t lastOfSection = std::string::npos;  // where a missing key goes: after the section's last line
    while (!content.empty()) {
        size_t end = content.find('\n');
        std::string_view raw = content.substr(0, end == std::string_view::npos ? content.size() : end + 1);
        content.remove_prefix(raw.size());
        std::string_view text = Trim(raw.substr(0, raw.size() - (raw.back() == '\n' ? 1 : 0)));
        if (!text.empty() && text.front() == '[') {
            size_t close = text.find(']');
            inSection = close != std::string_view::npos && SameName(Trim(text.substr(1, close - 1)), section);
            sectionSeen = sectionSeen || inSection;
        } else if (inSection && !written) {
            size_t equals = text.find('=');
            if (!text.empty() && text.front() != ';' && equals != std::string_view::npos &&
                SameName(Trim(text.substr(0, equals)), key)) {
                result += line + std::string(ending);
                written = true;
                continue;
            }
        }
        if (raw.back() != '\n') {
            result += std::string(raw) + std::string(ending);
        } else {
            result += raw;
        }
        if (inSection && !text.empty()) {
            lastOfSection = result.size();
        }
    }
    if (written) {
        return result;
    }
    if (sectionSeen) {
        result.insert(lastOfSection, line + std::string(ending));
        return result;
    }
    if (!result.empty() && result.back() != '\n') {
        result += ending;
    }
    return result + "[" + std::string(section) + "]" + std::string(ending) + line + std::string(ending);
}

std::string ReadProfileString(std::string_view content, std::string_view section, std::string_view key,
                              const std::string &fallback)
{
    bool inSection = false;
    while (!content.empty()) {
        size_t end = content.find('\n');
        std::string_view line = Trim(content.substr(0, end));
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            size_t close = line.find(']');
            inSection = close != std::string_view::npos && SameName(Trim(line.substr(1, close - 1)), section);
            continue;
        }
        size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos || !SameName(Trim(line.substr(0, equals)), key)) {
            continue;
        }
        std::string_view value = Trim(line.substr(equals + 1));
        // Quotes around the whole value protect blanks and inner quotes.
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return std::string(value);
    }
    return fallback;
}

}  // namespace vorlmake
