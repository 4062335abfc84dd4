#pragma once

#include <QByteArray>
#include <QString>

// Spectrum files to and from disk. Each gives an error text naming the file, empty when done.

// The bytes as the file at `path`, whole or not at all (a file there before stays as it was
// when writing fails).
QString saveBytes(const QString& path, const QByteArray& bytes);
// The file at `path` when it is a regular file of at most SpectrumLimits::maxFileBytes.
QString loadBytes(const QString& path, QByteArray* bytes);
