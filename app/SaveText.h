#pragma once

#include <QByteArray>
#include <QString>

namespace SaveText {

// Writes `bytes` to `path` atomically: on any failure a FileError names the file and the
// reason, and a file already at `path` is left as it was.
void save(const QString& path, const QByteArray& bytes);

} // namespace SaveText
