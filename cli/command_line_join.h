// Joining the program's arguments into the one command line the library
// splits again.
#pragma once

#include <string>
#include <vector>

namespace vorlcnv {

struct JoinResult {
    std::string line;   // CP932
    std::string error;  // why an argument cannot be passed on (UTF-8), or empty
};

// An argument holding a blank is quoted; an empty one becomes "," (an entry
// with no name: an unused row). A double quote or a control character
// cannot travel through the library's command line and is refused, as is
// an argument with no CP932 form.
JoinResult JoinArguments(const std::vector<std::string> &utf8Arguments);

}  // namespace vorlcnv
