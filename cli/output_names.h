// The files a conversion writes, as vorlcnv names them to the user.
#pragma once

#include <string>

namespace vorlcnv {

struct Outputs {
    std::string data;
    std::string header;  // empty when no header is written
};

}  // namespace vorlcnv
