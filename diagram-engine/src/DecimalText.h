#pragma once

// Decimal text for numbers the engine writes, independent of the C library's locale (which
// the application sets from the environment, so printf could write a decimal comma).

#include <QString>

namespace Mermaid {

/// `value` in fixed notation with `decimals` (0 to 20) digits after the point, as printf's
/// "%.*f" writes it in the C locale; "-0" stays as it is. Infinities and NaN are written
/// "inf", "-inf" and "nan".
QString fixedDecimal(double value, int decimals);

} // namespace Mermaid
