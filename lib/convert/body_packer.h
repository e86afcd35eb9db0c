// Packing the rows' items into the data body, one after the other at
// aligned offsets, and giving every row its index value.
#pragma once

#include <string>
#include <vector>

#include "conversion_context.h"
#include "host_file.h"
#include "index_values.h"
#include "row_layout.h"

namespace vorl {

// The temporary files of one conversion, directly in the working directory.
struct WorkFiles {
    std::string body;   // the data body (in mode 0 behind the room for the index)
    std::string index;  // the binary index or the header text
    std::string pack;   // the current converter's output
};

// Appends every stored item to `body` at its current position and fills
// `values` (R slots) and `withData` (R flags: the row stored an item or
// shares one). 0 or the code of the first failure, noted in `reporter`
// with its row.
int PackBody(const VorlInformation &info, const RowLayout &layout, const WorkFiles &files, host::HostFile &body,
             IndexValues &values, std::vector<bool> &withData, const ConversionContext &reporter);

}  // namespace vorl
