#pragma once

// Picture files on disk: the name and format a save takes, reading a picture the board can take,
// and writing a file without ever replacing what is not a regular file. A refusal or a fault comes
// back as a Russian clause that says what happened (from the system's error code where there is
// one), for the caller to put after the file's name.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>
#include <variant>

namespace varmet {

enum class PictureFormat { Bmp, Png, Icon };

// The largest picture the board takes, in px each way. Checked from the file's header, before
// any memory is taken for its pixels.
inline constexpr int MaxPictureSide = 4096;

// The name a save writes to: `typed` itself when its extension is .bmp or .png (in any case),
// otherwise `typed` with ".bmp" added once ("plot" and "plot." become "plot.bmp", "plot.txt"
// becomes "plot.txt.bmp").
QString SavedPictureName(const QString &typed);

// The format a save writes for a name that SavedPictureName gave.
PictureFormat SavedPictureFormat(const QString &name);

// Reads the picture at `path` in `format` (never guessed from the content). Only a regular file,
// or a symlink to one, is read; a picture over MaxPictureSide or with less pixel data than its
// header declares is refused. Returns the picture or the reason of the refusal.
std::variant<QImage, QString> ReadPictureFile(const QString &path, PictureFormat format);

// Reads the whole of the regular file at `path` (or of the one a symlink leads to), at most
// `limit` bytes. Returns its bytes or the reason of the refusal, in Russian from the system's error
// code (not found, a folder, not a regular file, no permission, too large, a read fault).
std::variant<QByteArray, QString> ReadRegularFile(const QString &path, qint64 limit);

// Writes `bytes` as the file `path`: a new name, or an existing regular file (through a symlink
// to one: the file is replaced, the link stays); anything else (a folder, a FIFO, a device, a
// symlink to one of them or in a loop) is refused. Written aside in the same folder and put in
// place only when complete, with the permissions of the file it replaces. Returns the reason of a
// refusal or a failure; the earlier file, if any, is then as it was.
std::optional<QString> WriteFileInPlace(const QString &path, const QByteArray &bytes);

} // namespace varmet
