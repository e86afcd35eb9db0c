#include "command_line_join.h"

#include <algorithm>

#include "terminal_text.h"

namespace vorlcnv {

JoinResult JoinArguments(const std::vector<std::string> &utf8Arguments)
{
    JoinResult result;
    for (const std::string &argument : utf8Arguments) {
        bool unsendable = std::any_of(argument.begin(), argument.end(),
                                      [](char c) { return c == '"' || static_cast<unsigned char>(c) < ' '; });
        if (unsendable) {
            result.error =
                "this argument holds a double quote or a control character, which the command line "
                "cannot carry: " +
                argument;
            return result;
        }
        auto text = ToLibraryText(argument);
        if (!text) {
            result.error = "this argument has no Shift-JIS (CP932) form: " + argument;
            return result;
        }
        if (!result.line.empty()) {
            result.line += ' ';
        }
        if (text->empty()) {
            result.line += ',';
        } else if (text->find(' ') != std::string::npos) {
            result.line += '"' + *text + '"';
        } else {
            result.line += *text;
        }
    }
    return result;
}

}  // namespace vorlcnv
