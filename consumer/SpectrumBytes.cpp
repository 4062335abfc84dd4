#include "consumer/SpectrumBytes.h"

#include "consumer/SpectrumRun.h"

#include <QFileInfo>
#include <QSaveFile>

QString saveBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QString("cannot write %1: %2").arg(path, file.errorString());
    return QString();
}

QString loadBytes(const QString& path, QByteArray* bytes)
{
    bytes->clear();
    const QFileInfo info(path);
    if (!info.isFile()) return QString("%1 is no regular file").arg(path);
    if (info.size() > SpectrumLimits::maxFileBytes)
        return QString("%1: %2 bytes, more than %3")
            .arg(path)
            .arg(info.size())
            .arg(SpectrumLimits::maxFileBytes);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QString("cannot read %1: %2").arg(path, file.errorString());
    // It may have grown since: never more than the cap.
    *bytes = file.read(SpectrumLimits::maxFileBytes + 1);
    if (bytes->size() > SpectrumLimits::maxFileBytes) {
        bytes->clear();
        return QString("%1: more than %2 bytes").arg(path).arg(SpectrumLimits::maxFileBytes);
    }
    return QString();
}
