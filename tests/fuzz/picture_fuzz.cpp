// Picture files: the same bytes read as each format the board opens (BMP, PNG, icon), through
// the file reader the program uses, from a file held in memory.

#include "fuzz_target.h"

#include "board/picture_file.h"

#include <QGuiApplication>
#include <QString>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

namespace {
int file = -1;
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    file = ::memfd_create("picture", MFD_CLOEXEC);
    if (file < 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (::ftruncate(file, 0) != 0 || ::pwrite(file, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();
    const QString path = QStringLiteral("/proc/self/fd/%1").arg(file);
    for (const auto format :
        {varmet::PictureFormat::Bmp, varmet::PictureFormat::Png, varmet::PictureFormat::Icon}) {
        const auto read = varmet::ReadPictureFile(path, format);
        if (const auto *picture = std::get_if<QImage>(&read)) {
            if (picture->width() > varmet::MaxPictureSide
                || picture->height() > varmet::MaxPictureSide)
                std::abort(); // the limit the board relies on
        }
    }
    return 0;
}
