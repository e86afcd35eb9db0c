// The language of a program's messages, chosen once from the environment
// as gettext reads it, without ever setting the process locale: the
// described Japanese texts for Japanese, for the C locale and when nothing
// is set, English for every other language.
#pragma once

#include <cstdlib>
#include <string_view>

namespace vorl::common {

enum class MessageLanguage { Japanese, English };

// The language a locale name ("ja_JP.UTF-8", "en_GB", "C", "") asks for.
inline MessageLanguage LanguageOfLocaleName(std::string_view name)
{
    std::string_view language = name.substr(0, name.find_first_of("_.@"));
    if (language.empty() || language == "ja" || language == "C" || language == "POSIX") {
        return MessageLanguage::Japanese;
    }
    return MessageLanguage::English;
}

// `valueOf(name)` gives an environment variable's value or null. LANGUAGE
// comes first, even when the rest says C (its first entry counts), then
// the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty.
template <typename ValueOf>
MessageLanguage LanguageFromVariables(ValueOf valueOf)
{
    if (const char *list = valueOf("LANGUAGE"); list != nullptr && *list != '\0') {
        std::string_view first(list);
        first = first.substr(0, first.find(':'));
        if (!first.empty()) {
            return LanguageOfLocaleName(first);
        }
    }
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char *value = valueOf(name); value != nullptr && *value != '\0') {
            return LanguageOfLocaleName(value);
        }
    }
    return MessageLanguage::Japanese;
}

// The program's language, read once.
inline MessageLanguage ProgramLanguage()
{
    static const MessageLanguage language = LanguageFromVariables([](const char *name) { return std::getenv(name); });
    return language;
}

// The language argument of the library's message export.
inline const char *LanguageCode(MessageLanguage language)
{
    return language == MessageLanguage::English ? "en" : "ja";
}

}  // namespace vorl::common
