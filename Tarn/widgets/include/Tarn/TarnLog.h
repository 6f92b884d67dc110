#pragma once

#include <QLoggingCategory>

namespace Tarn {

/// The application's one log channel ("format").
Q_DECLARE_LOGGING_CATEGORY(tarnLog)

} // namespace Tarn
