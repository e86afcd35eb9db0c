// The four bytes a binary index begins with when neither a project nor a
// command line names others: the project readers and the command line
// store the same id.
#pragma once

#include <cstring>

#include "vorl_cnv.h"

namespace vorl {

constexpr char kDefaultHeaderId[] = "Vorl";
static_assert(sizeof kDefaultHeaderId - 1 == sizeof VorlInformation::headerid, "the id fills its field");

inline void StoreDefaultHeaderId(char (&id)[sizeof VorlInformation::headerid])
{
    std::memcpy(id, kDefaultHeaderId, sizeof id);
}

}  // namespace vorl
