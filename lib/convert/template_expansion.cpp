#include "template_expansion.h"

#include <functional>

namespace vorl {
namespace {

enum class Quoting { None, Single, Double };

// Follows the shell's quoting over the text written so far, so that an
// inserted reference can be quoted for the place it lands in.
class QuoteTracker {
public:
    void Feed(char c)
    {
        if (escaped_) {
            escaped_ = false;
            return;
        }
        switch (state_) {
            case Quoting::None:
                if (c == '\\')
                    escaped_ = true;
                else if (c == '\'')
                    state_ = Quoting::Single;
                else if (c == '"')
                    state_ = Quoting::Double;
                break;
            case Quoting::Single:
                if (c == '\'')
                    state_ = Quoting::None;
                break;
            case Quoting::Double:
                if (c == '\\')
                    escaped_ = true;
                else if (c == '"')
                    state_ = Quoting::None;
                break;
        }
    }
    Quoting State() const { return state_; }
    void ClearEscape() { escaped_ = false; }

private:
    Quoting state_ = Quoting::None;
    bool escaped_ = false;
};

using Inserter = std::function<void(std::string &out, char which, const QuoteTracker &quoting)>;

std::string Walk(std::string_view pattern, TemplateNames names, size_t room, const Inserter &insert)
{
    std::string out;
    QuoteTracker quoting;
    size_t i = 0;
    while (i < pattern.size() && room > 1) {
        char c = pattern[i++];
        if (c == '$') {
            if (i == pattern.size()) {
                break;  // a "$" at the very end is dropped
            }
            char next = pattern[i++];
            char which = static_cast<char>(next & ~0x20);
            if (which == 'I' || which == 'O') {
                std::string_view name = which == 'I' ? names.input : names.output;
                if (name.size() < room) {
                    insert(out, which, quoting);
                    quoting.ClearEscape();
                    room -= name.size();
                }
                continue;
            }
            c = next;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            continue;
        }
        out.push_back(c);
        quoting.Feed(c);
        --room;
    }
    return out;
}

}  // namespace

std::string ExpandTemplate(std::string_view pattern, TemplateNames names, size_t room)
{
    return Walk(pattern, names, room, [&](std::string &out, char which, const QuoteTracker &) {
        out.append(which == 'I' ? names.input : names.output);
    });
}

std::string ExpandTemplateForShell(std::string_view pattern, TemplateNames names, size_t room)
{
    return Walk(pattern, names, room, [](std::string &out, char which, const QuoteTracker &quoting) {
        std::string reference = std::string("${") + (which == 'I' ? kInputVariable : kOutputVariable) + "}";
        switch (quoting.State()) {
            case Quoting::Double:
                out += reference;
                break;
            case Quoting::Single:
                out += "'\"" + reference + "\"'";
                break;
            case Quoting::None:
                out += "\"" + reference + "\"";
                break;
        }
    });
}

}  // namespace vorl
