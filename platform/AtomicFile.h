#pragma once

#include <QByteArray>
#include <QString>

namespace AtomicFile {

// Replaces the file with the bytes so that a reader, or the file after a crash or power cut,
// holds either the old or the new content whole: a temporary file in the same folder is
// written, flushed to disk and renamed over the old one, and the rename is flushed too.
// Creates the folder when it is missing. On failure the old file is left as it was and errno
// says why.
bool Write(const QString& path, const QByteArray& bytes);

} // namespace AtomicFile
