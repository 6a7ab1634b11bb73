#pragma once

// Checks the chunk structure of a PNG file before the image library sees it. That library takes
// memory for a chunk as its length field claims, before it reads the chunk: a file of a few bytes
// that claims a chunk of 2 GB would have them taken. Here every chunk must lie within the file.

#include <QByteArray>
#include <QString>

#include <optional>

namespace varmet {

// The reason a file that begins as a PNG is malformed, as a clause to follow "the file is not a
// valid PNG picture"; none when every chunk up to the end mark lies within the file. A file that
// does not begin with the PNG signature is left for the image library to judge.
std::optional<QString> CheckPngChunks(const QByteArray &file);

} // namespace varmet
