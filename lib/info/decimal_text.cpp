#include "decimal_text.h"

#include "decimal_value.h"

namespace vorl {

int32_t ReadDecimal(std::string_view text)
{
    return common::DecimalValue(text);
}

}  // namespace vorl
