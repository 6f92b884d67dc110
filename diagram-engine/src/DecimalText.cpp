#include "DecimalText.h"

#include <algorithm>
#include <charconv>

namespace Mermaid {

QString fixedDecimal(double value, int decimals)
{
    // Room for the largest double (309 digits), a sign, the point and the decimals.
    char buffer[340];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, std::clamp(decimals, 0, 20));
    if (result.ec != std::errc())
        return {};
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

} // namespace Mermaid
