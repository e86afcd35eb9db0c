// Putting finished output files in place. Every new file is first made
// ready beside its target (moved there, or copied when the working
// directory lies on another file system), and only when all of them are
// ready are the targets replaced, each by one rename. A failure before that
// leaves every previous output exactly as it was. A target reached through
// a symbolic link is replaced where the link leads; a device, pipe or
// socket is written into before any file is replaced, never replaced
// itself (output_target.h).
#pragma once

#include <string>
#include <vector>

#include "conversion_context.h"

namespace vorl {

struct Placement {
    std::string staged;  // the finished file in the working directory
    std::string target;  // where it belongs
};

// 0, -13 when a target cannot be written (noted in `reporter`), -8 when a
// copy fails.
int PlaceOutputs(const std::vector<Placement> &placements, const ConversionContext &reporter);

}  // namespace vorl
