#include "picture_file.h"

#include "bitmap_data.h"
#include "png_data.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varmet {

namespace {

// The file of the largest honest picture (4096 x 4096 px at 64 bits a pixel, stored without
// compression) with room to spare: anything larger is no picture the board could take.
constexpr qint64 MaxPictureFileBytes = qint64 {160} << 20;

enum class Access { Read, Write };

// What the system's error code means for the operator.
QString SystemReason(int error, Access access)
{
    const bool reading = access == Access::Read;
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return reading ? QStringLiteral("файл не найден")
                       : QStringLiteral("папка, в которую записывается файл, не найдена");
    case EISDIR:
        return QStringLiteral("это папка, а не файл");
    case EACCES:
    case EPERM:
        return reading ? QStringLiteral("нет прав на чтение файла")
                       : QStringLiteral("нет прав на запись файла в эту папку");
    case ELOOP:
        return QStringLiteral("символические ссылки на пути к файлу образуют петлю");
    case ENOSPC:
        return QStringLiteral("на диске нет места");
    case EDQUOT:
        return QStringLiteral("на диске нет места: исчерпана квота");
    case EROFS:
        return QStringLiteral("файловая система доступна только для чтения");
    case EFBIG:
        return QStringLiteral("файл больше, чем допускает система");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя файла");
    default: {
        const char *name = strerrorname_np(error);
        const QString code = name ? QString::fromLatin1(name) : QString::number(error);
        return (reading ? QStringLiteral("ошибка чтения файла (%1)")
                        : QStringLiteral("ошибка записи файла (%1)"))
            .arg(code);
    }
    }
}

// What a file that is not a regular one is.
QString KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("папка");
    if (S_ISFIFO(mode))
        return QStringLiteral("именованный канал");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("файл устройства");
    if (S_ISSOCK(mode))
        return QStringLiteral("сокет");
    return QStringLiteral("особый файл");
}

QString NotARegularFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("это папка, а не файл");
    return QStringLiteral("это %1, а не обычный файл").arg(KindOf(mode));
}

QByteArray FormatName(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Bmp:
        return "BMP";
    case PictureFormat::Png:
        return "PNG";
    case PictureFormat::Icon:
        return "ICO";
    }
    return {};
}

QString ReaderFault(const QImageReader &reader, PictureFormat format)
{
    const QString name = QString::fromLatin1(FormatName(format));
    switch (reader.error()) {
    case QImageReader::UnsupportedFormatError:
        return QStringLiteral("файл не является рисунком формата %1").arg(name);
    case QImageReader::InvalidDataError:
        return QStringLiteral("файл не является допустимым рисунком формата %1").arg(name);
    case QImageReader::FileNotFoundError:
    case QImageReader::DeviceError:
        return QStringLiteral("ошибка чтения файла");
    case QImageReader::UnknownError:
        break;
    }
    return QStringLiteral("неизвестная ошибка");
}

QString TooLarge(QSize size)
{
    return QStringLiteral("рисунок размером %1 × %2 точек слишком велик: планшет принимает "
                          "рисунки не больше %3 × %3 точек")
        .arg(size.width())
        .arg(size.height())
        .arg(MaxPictureSide);
}

bool WithinLimit(QSize size)
{
    return size.width() <= MaxPictureSide && size.height() <= MaxPictureSide;
}

std::variant<QImage, QString> DecodePicture(QByteArray bytes, PictureFormat format)
{
    // A lying chunk length would have the library take its memory before it reads the chunk.
    if (format == PictureFormat::Png) {
        if (const auto fault = CheckPngChunks(bytes))
            return QStringLiteral("файл не является допустимым рисунком формата PNG: %1")
                .arg(*fault);
    }
    QSize size;
    {
        // The header alone gives the size, before any pixel memory is taken.
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader header(&buffer, FormatName(format));
        header.setAutoDetectImageFormat(false);
        header.setDecideFormatFromContent(false);
        if (!header.canRead())
            return QStringLiteral("файл не является рисунком формата %1")
                .arg(QString::fromLatin1(FormatName(format)));
        size = header.size();
        if (size.isValid() && !WithinLimit(size))
            return TooLarge(size);
    }
    // Also when the library finds no size in the header (it reads none from a top-down
    // run-length picture, and would decode one leaving skipped pixels unwritten).
    if (format == PictureFormat::Bmp) {
        if (const auto fault = MakeBitmapWhole(bytes, MaxPictureSide))
            return QStringLiteral("файл не является допустимым рисунком формата BMP: %1")
                .arg(*fault);
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, FormatName(format));
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    // Every picture within the side limit must fit, also at 64 bits a pixel.
    reader.setAllocationLimit(256);
    QImage picture;
    if (!reader.read(&picture))
        return ReaderFault(reader, format);
    if (!WithinLimit(picture.size()))
        return TooLarge(picture.size());
    return picture;
}

// A file descriptor closed when it goes.
struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    // Closes now, with the system's word on it (a delayed write fault shows here).
    int closeNow()
    {
        const int result = ::close(fd);
        fd = -1;
        return result;
    }
};

// The file written aside, removed unless it took the target's place.
struct AsideFile
{
    QByteArray name;
    bool made = false;
    bool placed = false;
    ~AsideFile()
    {
        if (made && !placed)
            ::unlink(name.constData());
    }
};

// Reads to the end, never more than `limit` bytes whatever the file's size said: a file may grow
// while it is read.
bool ReadAll(int fd, QByteArray &bytes, qint64 expected, qint64 limit)
{
    bytes.reserve(static_cast<qsizetype>(std::min(expected, limit)));
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (bytes.size() + got > limit) {
            errno = EFBIG;
            return false;
        }
        bytes.append(chunk, static_cast<qsizetype>(got));
    }
}

// The files a save writes aside: hidden, short (so that any name the file system allows can be
// saved beside them), and marked as the program's own by their prefix.
constexpr char AsidePrefix[] = ".varmet-aside-";
constexpr std::size_t AsideNameLength = sizeof AsidePrefix - 1 + 6; // mkostemp's six letters

// Removes what saves killed mid-write left in `folder`: every aside file that no live save holds
// locked. (A save holds its aside file locked from its creation until it is put in place.)
void RemoveStaleAsides(const QByteArray &folder)
{
    DIR *dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.size() != AsideNameLength || !name.starts_with(AsidePrefix))
            continue;
        Descriptor file {::openat(
            dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
        struct stat about
        {
        };
        if (file.fd < 0 || ::fstat(file.fd, &about) != 0 || !S_ISREG(about.st_mode))
            continue;
        if (::flock(file.fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, entry->d_name, 0); // removed while held: no save can take it now
    }
    ::closedir(dir);
}

bool WriteAll(int fd, const QByteArray &bytes)
{
    const char *at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t put = ::write(fd, at, static_cast<size_t>(left));
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return false;
        if (put == 0) { // no room, but no word why
            errno = ENOSPC;
            return false;
        }
        at += put;
        left -= put;
    }
    return true;
}

} // namespace

QString SavedPictureName(const QString &typed)
{
    const QString suffix = QFileInfo(typed).suffix().toLower();
    if (typed.contains(QLatin1Char('.'))
        && (suffix == QLatin1String("bmp") || suffix == QLatin1String("png")))
        return typed;
    // A name that ends in its dot only lacks the extension, not the dot.
    return typed
        + (typed.endsWith(QLatin1Char('.')) ? QStringLiteral("bmp") : QStringLiteral(".bmp"));
}

PictureFormat SavedPictureFormat(const QString &name)
{
    return QFileInfo(name).suffix().toLower() == QLatin1String("png") ? PictureFormat::Png
                                                                      : PictureFormat::Bmp;
}

std::variant<QImage, QString> ReadPictureFile(const QString &path, PictureFormat format)
{
    std::variant<QByteArray, QString> read = ReadRegularFile(path, MaxPictureFileBytes);
    if (auto *refusal = std::get_if<QString>(&read))
        return std::move(*refusal);
    return DecodePicture(std::move(std::get<QByteArray>(read)), format);
}

std::variant<QByteArray, QString> ReadRegularFile(const QString &path, qint64 limit)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat about
    {
    };
    if (::stat(name.constData(), &about) != 0)
        return SystemReason(errno, Access::Read);
    if (!S_ISREG(about.st_mode))
        return NotARegularFile(about.st_mode);
    // Not blocking: should a FIFO have taken the file's place since, opening it must not wait.
    Descriptor file {::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        return SystemReason(errno, Access::Read);
    if (::fstat(file.fd, &about) != 0)
        return SystemReason(errno, Access::Read);
    if (!S_ISREG(about.st_mode))
        return NotARegularFile(about.st_mode);
    // A regular file after all: its reads may wait for the disk as usual.
    const int flags = ::fcntl(file.fd, F_GETFL);
    if (flags < 0 || ::fcntl(file.fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return SystemReason(errno, Access::Read);
    if (about.st_size > limit)
        return QStringLiteral("файл слишком велик: %1 МБ, а допустимо не больше %2 МБ")
            .arg((about.st_size + (1 << 20) - 1) >> 20)
            .arg(limit >> 20);
    QByteArray bytes;
    if (!ReadAll(file.fd, bytes, about.st_size, limit))
        return SystemReason(errno, Access::Read);
    return bytes;
}

std::optional<QString> WriteFileInPlace(const QString &path, const QByteArray &bytes)
{
    QByteArray target = QFile::encodeName(path);
    const mode_t umaskNow = ::umask(0);
    ::umask(umaskNow);
    mode_t mode = 0666 & ~umaskNow;

    struct stat about
    {
    };
    if (::lstat(target.constData(), &about) == 0) {
        if (S_ISLNK(about.st_mode)) {
            if (::stat(target.constData(), &about) != 0) {
                if (errno == ENOENT)
                    return QStringLiteral("это символическая ссылка на несуществующий файл");
                return SystemReason(errno, Access::Write);
            }
            if (!S_ISREG(about.st_mode))
                return QStringLiteral("это символическая ссылка на %1, а не на обычный файл")
                    .arg(KindOf(about.st_mode));
            // The file the link leads to is replaced; the link stays as it is.
            const std::unique_ptr<char, decltype(&std::free)> real(
                ::realpath(target.constData(), nullptr), &std::free);
            if (!real)
                return SystemReason(errno, Access::Write);
            target = real.get();
        } else if (!S_ISREG(about.st_mode)) {
            return NotARegularFile(about.st_mode);
        }
        mode = about.st_mode & 07777;
        // A file the operator may not write is not replaced either.
        if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
            return errno == EACCES ? QStringLiteral("нет прав на запись этого файла")
                                   : SystemReason(errno, Access::Write);
    } else if (errno != ENOENT) {
        return SystemReason(errno, Access::Write);
    }

    // Aside: a hidden name beside the target, so that the rename stays within one file system.
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = target.left(slash + 1);
    RemoveStaleAsides(folder);
    AsideFile aside;
    Descriptor file;
    for (;;) {
        aside.name = folder + AsidePrefix + "XXXXXX";
        file.fd = ::mkostemp(aside.name.data(), O_CLOEXEC);
        if (file.fd < 0)
            return SystemReason(errno, Access::Write);
        // Held while it is written; should another save's clean-up have taken it between its
        // creation and the lock, it is gone from the folder: start over.
        struct stat made
        {
        };
        if (::flock(file.fd, LOCK_EX) != 0 || ::fstat(file.fd, &made) != 0)
            return SystemReason(errno, Access::Write);
        if (made.st_nlink > 0)
            break;
        file.closeNow();
    }
    aside.made = true;
    if (::fchmod(file.fd, mode) != 0 || !WriteAll(file.fd, bytes) || ::fsync(file.fd) != 0
        || file.closeNow() != 0)
        return SystemReason(errno, Access::Write);
    if (::rename(aside.name.constData(), target.constData()) != 0)
        return SystemReason(errno, Access::Write);
    aside.placed = true;
    return std::nullopt;
}

} // namespace varmet
