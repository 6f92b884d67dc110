#include <Tarn/TarnLog.h>

namespace Tarn {

Q_LOGGING_CATEGORY(tarnLog, "tarn.format")

} // namespace Tarn
