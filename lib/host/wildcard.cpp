#include "wildcard.h"

#include "code_page.h"
#include "wildcard_match.h"

namespace vorl::host {
namespace {

size_t CharacterLength(std::string_view text, size_t at)
{
    bool twoBytes = IsSjisLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size();
    return twoBytes ? 2 : 1;
}

constexpr common::WildcardCharacters kCp932 = {CharacterLength, true};

}  // namespace

bool MatchWildcard(std::string_view pattern, std::string_view name)
{
    return common::MatchWildcard(pattern, name, kCp932);
}

}  // namespace vorl::host
