#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

// Reading and saving the program's text files, byte for byte. Nothing here ever waits on
// a pipe or a device: what is not a regular file is refused before it is opened for
// reading, and a pipe is opened for writing without waiting for a reader. Every failure
// is a FileError that names the file and says why in Italian.
namespace TextFile {

// Called between slices of the work with the bytes done and the bytes in all; returns
// false to give up.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Opens a regular file for reading and returns its descriptor, which the caller closes.
int openForReading(const QString& path);

// The whole file, refused when it holds more than `limit` bytes; empty when given up.
std::optional<QByteArray> read(const QString& path, qint64 limit, const Progress& progress = {});

// Writes `bytes` to `path`. A regular file is replaced atomically, so on any failure or
// when given up the old one is left as it was; a device or a pipe is written in place.
// Returns false when given up.
bool save(const QString& path, QByteArrayView bytes, const Progress& progress = {});

} // namespace TextFile
