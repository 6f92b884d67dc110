#pragma once

#include <Tarn/Result.h>

#include <QByteArray>
#include <QString>

namespace Tarn {

/// Writes `bytes` to `path` through a temporary file in the same folder that replaces the
/// target only once complete: a failed write leaves an existing file untouched. Returns the
/// number of bytes written or a one-line error message.
Common::Result<qint64, QString> writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace Tarn
