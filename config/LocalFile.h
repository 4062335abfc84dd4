#pragma once

#include <QByteArray>
#include <QFile>

// Reading local files whose names come from the configuration or a command line with a
// bounded cost: a device or a pipe (/dev/zero) may never end, and one line may be huge.
namespace LocalFile {

// Opens `file` for reading text only when it is a regular file; false otherwise, or when
// it cannot be opened.
bool openRegular(QFile& file);

// True when a new file may take the place of `name`: nothing is there, or a regular file.
// A symlink would be written through, and a FIFO or device may never take the bytes.
bool isReplaceable(const QString& name);

enum LongLine { DropLongLine, CutLongLine };

// The next line of `in` without its end, at most `maxBytes` long. A longer line is read
// to its end and `tooLong` set; the result is empty, or with CutLongLine its first
// `maxBytes` bytes. At the end of `in`, `atEnd` is set.
QByteArray readLine(QIODevice& in, int maxBytes, bool& tooLong, bool& atEnd,
                    LongLine longLine = DropLongLine);

} // namespace LocalFile
