#include "lower_ascii_sjis.h"

#include "code_page.h"

namespace vorl {

void LowerAsciiSjis(std::string &text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        if (host::IsSjisLeadByte(byte)) {
            ++i;
        } else if (byte >= 'A' && byte <= 'Z') {
            text[i] = static_cast<char>(byte + 0x20);
        }
    }
}

}  // namespace vorl
