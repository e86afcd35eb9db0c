// Building a converter's command line from its template: "$I" stands for
// the input file, "$O" for the output file, "$$" for "$".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorl {

constexpr size_t kCommandRoom = 512;

struct TemplateNames {
    std::string_view input;
    std::string_view output;
};

// The names pasted into the text as they are. A name is inserted only when
// it is shorter than the room left; control bytes are dropped.
std::string ExpandTemplate(std::string_view pattern, TemplateNames names, size_t room = kCommandRoom);

// The same walk and the same room rule, but each name is replaced by a
// reference to the variable that carries it ("${VORL_IN}", "${VORL_OUT}"),
// quoted to suit the place it stands in, so the shell inserts the name as
// one word and never reads it as code.
std::string ExpandTemplateForShell(std::string_view pattern, TemplateNames names, size_t room = kCommandRoom);

constexpr const char *kInputVariable = "VORL_IN";
constexpr const char *kOutputVariable = "VORL_OUT";

}  // namespace vorl
