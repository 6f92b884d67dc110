#include <Tarn/AtomicFile.h>

#include <QSaveFile>

namespace Tarn {

Common::Result<qint64, QString> writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false); // never write in place, even where renaming is refused
    if (!file.open(QIODevice::WriteOnly))
        return Common::Unexpected(QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return Common::Unexpected(QStringLiteral("%1: %2").arg(path, error));
    }
    if (!file.commit())
        return Common::Unexpected(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return qint64(bytes.size());
}

} // namespace Tarn
