#pragma once

// Makes a Windows bitmap safe to hand to the image library. That library decodes a file cut short
// without a word, and leaves the pixels that a run-length coded file skips unwritten: either way
// the picture would show whatever memory held before. So a bitmap must hold every pixel row its
// header declares, and a run-length coded one is expanded to plain 8-bit rows here, with index 0
// where its runs skip pixels.

#include <QByteArray>
#include <QString>

#include <optional>

namespace varmet {

// Checks (and for run-length coding rewrites) the bytes of a file that begins as a bitmap.
// Returns the reason a bitmap is cut short or malformed, as a clause to follow "the file is
// not a valid BMP picture". A file whose header this check does not know (not "BM", an unusual
// pixel depth or coding) is left as it is for the image library to judge. A run-length coded
// picture over `maxSide` px either way is refused unexpanded (the expansion takes a byte a pixel).
// Top-down run-length pictures are expanded too, into bottom-up rows.
std::optional<QString> MakeBitmapWhole(QByteArray &file, int maxSide);

} // namespace varmet
