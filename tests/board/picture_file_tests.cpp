#include "board_test_support.h"

#include "board/board.h"
#include "board/picture_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varmet::test {
namespace {

QByteArray encoded(const QImage &picture, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(picture.save(&buffer, format));
    return bytes;
}

// A run-length coded 8-bit bitmap whose colour i is (i, 255, 255 - i).
QByteArray runLengthBitmap(int width, int height, const QByteArray &runs)
{
    QByteArray file(54 + 1024, '\0');
    const auto put = [&file](int at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file[at + i] = static_cast<char>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, static_cast<std::uint32_t>(file.size() + runs.size()), 4);
    put(10, static_cast<std::uint32_t>(file.size()), 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 8, 2);
    put(30, 1, 4); // 8-bit runs
    put(34, static_cast<std::uint32_t>(runs.size()), 4);
    for (std::uint32_t i = 0; i < 256; ++i)
        put(static_cast<int>(54 + 4 * i), i << 16 | 0xff00 | (255 - i), 4); // blue, green, red
    return file + runs;
}

// Root reads and writes every file whatever its permissions; the file system user id of nobody
// does not.
struct AsAnOrdinaryUser
{
    const int was = setfsuid(geteuid() == 0 ? 65534 : geteuid());
    ~AsAnOrdinaryUser() { setfsuid(static_cast<uid_t>(was)); }
};

class PictureFiles : public testing::Test
{
protected:
    QString path(const char *name) const { return directory.filePath(QString::fromLatin1(name)); }
    QByteArray local(const char *name) const { return QFile::encodeName(path(name)); }
    void write(const char *name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    QByteArray contents(const char *name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    }
    QStringList files() const
    {
        return QDir(directory.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    // The message of a failed save of the board to `name`, which must end in `reason`.
    void expectSaveRefused(const char *name, const QString &reason)
    {
        const std::optional<QString> message = board.savePicture(path(name));
        ASSERT_TRUE(message.has_value()) << name;
        EXPECT_EQ(*message,
            QStringLiteral("Не удалось сохранить рисунок в файл «%1»: %2.")
                .arg(path(name), reason));
    }

    QTemporaryDir directory;
    Board board;
};

TEST_F(PictureFiles, SavedBoardIsWrittenInTheFormatItsNameSaysAndUndoReturnsToItWithLabels)
{
    board.figures().show(
        FigureKind::TorpedoPair, 5, BoardColour::Magenta, strokesOf({{{10, 600}, {600, 600}, 3}}));
    const QImage grid = board.canvas().permanentPicture();
    const struct
    {
        const char *typed, *written, *format;
    } names[] = {{"board.png", "board.png", "png"}, {"Board.BMP", "Board.BMP", "bmp"},
        {"plot", "plot.bmp", "bmp"}, {"plot.", "plot.bmp", "bmp"},
        {"notes.txt", "notes.txt.bmp", "bmp"}, {"a.png.jpg", "a.png.jpg.bmp", "bmp"}};
    for (const auto &name : names) {
        SCOPED_TRACE(name.typed);
        ASSERT_EQ(board.savePicture(path(name.typed)), std::nullopt);
        QImageReader reader(path(name.written));
        reader.setDecideFormatFromContent(true);
        EXPECT_EQ(reader.format(), QByteArray(name.format));
        EXPECT_EQ(reader.read().convertToFormat(QImage::Format_RGB32), board.canvas().picture());
    }
    EXPECT_EQ(files().size(), std::size(names) - 1); // "plot." wrote plot.bmp again
    const QImage seen = board.canvas().picture();
    EXPECT_NE(board.canvas().permanentPicture(), grid); // the scale labels are painted
    board.canvas().moveTo(0, 20);
    board.canvas().lineTo(600, 20);
    board.UndoClick();
    EXPECT_EQ(board.canvas().picture(), seen);
    board.figures().clear();
    ASSERT_EQ(board.openPicture(path("board.png")), std::nullopt);
    EXPECT_EQ(board.undoBitmap(), seen);
}

// The live figures and the eraser outline are taken off on the board size they were drawn on.
TEST_F(PictureFiles, ALargerBitmapReplacesBoardAndSnapshotWithNoStrayStrokes)
{
    board.figures().show(
        FigureKind::MedianLine, 4, BoardColour::Red, strokesOf({{{0, 100}, {799, 100}, 3}}));
    board.Image3MouseDown(300, 300, true);
    board.canvas().setPenWidth(3);
    board.canvas().takeChangedArea();
    QImage wide(800, 600, QImage::Format_RGB32);
    wide.fill(Qt::yellow);
    ASSERT_TRUE(wide.save(path("wide.BMP"), "BMP"));
    ASSERT_EQ(board.openPicture(path("wide.BMP")), std::nullopt);
    EXPECT_EQ(board.undoBitmap(), wide);
    EXPECT_EQ(board.canvas().takeChangedArea(), QRect(0, 0, 800, 650)); // old and new extent
    EXPECT_EQ(rgb(board.canvas().picture(), 700, 100), 0xff00ffu); // NOT(yellow XOR red)
    board.Image3MouseUp(true);
    board.figures().clear();
    EXPECT_EQ(board.canvas().picture(), wide);
    board.canvas().moveTo(10, 300); // with a fresh pen: black, 1 px, copying
    board.canvas().lineTo(20, 300);
    EXPECT_EQ(differences(wide, board.canvas().picture()), rasterise({{10, 300}, {20, 300}, 1}));
    EXPECT_EQ(rgb(board.canvas().picture(), 10, 300), 0u);
}

TEST_F(PictureFiles, AnIconLandsOnAWhiteBoard)
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    ASSERT_TRUE(icon.save(path("mark.ico"), "ICO"));
    ASSERT_EQ(board.openPicture(path("mark.ico")), std::nullopt);
    QImage expected(650, 650, QImage::Format_RGB32);
    expected.fill(Qt::white);
    QPainter(&expected).fillRect(0, 0, 32, 32, Qt::red);
    EXPECT_EQ(board.canvas().picture(), expected);
    EXPECT_EQ(board.undoBitmap(), expected);
}

TEST_F(PictureFiles, MalformedPicturesAreRefusedEachForItsReasonLeavingBoardAndSnapshot)
{
    board.canvas().moveTo(0, 20);
    board.canvas().lineTo(600, 20);
    const QImage permanent = board.canvas().permanentPicture();
    const QImage snapshot = board.undoBitmap();
    const QByteArray bmp = encoded(permanent, "BMP"), png = encoded(permanent, "PNG");
    ASSERT_EQ(bmp.size(), 54 + 650 * 1952);
    // Every row of the 650 x 650 picture given, but the picture's end not reached.
    QByteArray runs;
    for (int row = 0; row < 649; ++row)
        runs += QByteArray::fromHex("ff07ff07ff078d070000");
    ASSERT_TRUE(QDir(directory.path()).mkdir("folder.bmp"));
    ASSERT_EQ(mkfifo(local("fifo.bmp"), 0644), 0);
    ASSERT_EQ(symlink("loop.bmp", local("loop.bmp")), 0);
    write("secret.bmp", bmp);
    ASSERT_EQ(chmod(local("secret.bmp"), 0), 0);

    const QString cut = QStringLiteral("файл не является допустимым рисунком формата BMP: в файле "
                                       "только %1 байт, а по заголовку нужно 1268854");
    const struct
    {
        const char *name;
        QByteArray bytes; // none: the file is made above or missing
        QString reason;
    } cases[] = {
        {"cut.bmp", bmp.left(1000), cut.arg(1000)},
        {"half.bmp", bmp.left(bmp.size() / 2), cut.arg(bmp.size() / 2)},
        {"short-by-one.bmp", bmp.chopped(1), cut.arg(bmp.size() - 1)},
        {"header-only.bmp", bmp.left(54), cut.arg(54)},
        {"cut-in-header.bmp", bmp.left(30), cut.arg(30).replace("1268854", "54")},
        {"cut-runs.bmp", runLengthBitmap(650, 650, runs),
            "файл не является допустимым рисунком формата BMP: сжатые данные рисунка обрываются "
            "до его конца"},
        {"huge-runs.bmp", runLengthBitmap(5790, 5790, QByteArray::fromHex("0001")),
            "рисунок размером 5790 × 5790 точек слишком велик: планшет принимает рисунки не "
            "больше 4096 × 4096 точек"},
        {"cut.png", png.left(png.size() / 2),
            "файл не является допустимым рисунком формата PNG: часть «IDAT» длиной 8192 байт "
            "выходит за конец файла"},
        {"png-inside.bmp", png, "файл не является рисунком формата BMP"},
        {"bmp-inside.png", bmp, "файл не является рисунком формата PNG"},
        {"missing.bmp", {}, "файл не найден"},
        {"folder.bmp", {}, "это папка, а не файл"},
        {"fifo.bmp", {}, "это именованный канал, а не обычный файл"},
        {"loop.bmp", {}, "символические ссылки на пути к файлу образуют петлю"},
        {"secret.bmp", {}, "нет прав на чтение файла"},
    };
    for (const auto &each : cases) {
        SCOPED_TRACE(each.name);
        if (!each.bytes.isNull())
            write(each.name, each.bytes);
        std::optional<AsAnOrdinaryUser> user;
        if (std::strcmp(each.name, "secret.bmp") == 0)
            user.emplace();
        EXPECT_EQ(board.openPicture(path(each.name)),
            QStringLiteral("Не удалось загрузить рисунок «%1»: %2.")
                .arg(path(each.name), each.reason));
        EXPECT_EQ(board.canvas().permanentPicture(), permanent);
        EXPECT_EQ(board.undoBitmap(), snapshot);
    }
    for (const char *name : {"a.wmf", "a.txt", "a"}) {
        write(name, png);
        EXPECT_TRUE(board.openPicture(path(name))->contains("(.bmp, .png"));
    }
}

// The image library leaves unwritten the pixels a run-length coded picture skips.
TEST_F(PictureFiles, PixelsThatTheRunsOfABitmapSkipTakeItsFirstColour)
{
    // 64 x 64 px: three pixels of colour 2 at the bottom left, then a jump over 4 px and 2 rows to
    // one of colour 1, then the picture's end.
    write("runs.bmp", runLengthBitmap(64, 64, QByteArray::fromHex("03020002040201010001")));
    QImage expected(64, 64, QImage::Format_RGB32);
    {
        QImage earlier(64, 64, QImage::Format_Indexed8); // leaves other bytes where the next goes
        earlier.fill(0x5a);
    }
    ASSERT_EQ(board.openPicture(path("runs.bmp")), std::nullopt);
    expected.fill(qRgb(0, 255, 255));
    for (const int x : {0, 1, 2})
        expected.setPixel(x, 63, qRgb(2, 255, 253));
    expected.setPixel(7, 61, qRgb(1, 255, 254));
    EXPECT_EQ(board.canvas().picture(), expected);

    // Stored top down: the same runs from the top row, expanded alike, never memory's leftovers.
    write("top-down.bmp", runLengthBitmap(64, -64, QByteArray::fromHex("03020002040201010001")));
    ASSERT_EQ(board.openPicture(path("top-down.bmp")), std::nullopt);
    expected.fill(qRgb(0, 255, 255));
    for (const int x : {0, 1, 2})
        expected.setPixel(x, 0, qRgb(2, 255, 253));
    expected.setPixel(7, 2, qRgb(1, 255, 254));
    EXPECT_EQ(board.canvas().picture(), expected);
}

// Every name the file system allows can be saved (the file written aside has a short name of its
// own), and what a save killed mid-write left aside goes with the next save into that folder,
// unless a live save holds it.
TEST_F(PictureFiles, AnyLegalNameSavesAndStaleAsideFilesOfKilledSavesGo)
{
    const QString longest = QString(251, QLatin1Char('n')) + ".bmp"; // 255 bytes
    EXPECT_EQ(WriteFileInPlace(directory.filePath(longest), "picture"), std::nullopt);
    write(".varmet-aside-stale1", "half a picture");
    write(".varmet-aside-held01", "a save under way");
    write(".other.bmp.Ab12Cd", "not the program's");
    const int held = ::open(local(".varmet-aside-held01"), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_EQ(WriteFileInPlace(path("next.bmp"), "picture"), std::nullopt);
    ::close(held);
    EXPECT_EQ(
        files(), (QStringList {".other.bmp.Ab12Cd", ".varmet-aside-held01", "next.bmp", longest}));
}

// A PNG chunk whose length claims more than the file holds is refused before the library would
// take memory for it.
TEST_F(PictureFiles, APngChunkThatClaimsMoreThanTheFileIsRefusedUnread)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(2, 2, QImage::Format_RGB32).save(&buffer, "PNG");
    // After the header chunk: a text chunk claiming 2^31 - 1 bytes.
    png.insert(33, QByteArray::fromHex("7fffffff") + "tEXt" + QByteArray(8, 'x'));
    write("lying.png", png);
    const auto refusal = board.openPicture(path("lying.png"));
    ASSERT_TRUE(refusal.has_value());
    EXPECT_TRUE(refusal->contains("часть «tEXt» длиной 2147483647 байт выходит за конец файла"))
        << refusal->toStdString();
}

TEST_F(PictureFiles, SavesReplaceNothingButARegularFileAndKeepALinkToOne)
{
    ASSERT_EQ(mkfifo(local("fifo.bmp"), 0644), 0);
    ASSERT_EQ(symlink("/dev/null", local("null.bmp")), 0);
    ASSERT_EQ(symlink("loop.bmp", local("loop.bmp")), 0);
    ASSERT_EQ(symlink("gone.bmp", local("dangling.bmp")), 0);
    ASSERT_TRUE(QDir(directory.path()).mkdir("folder.bmp"));
    write("earlier.bmp", "earlier");
    ASSERT_EQ(symlink("earlier.bmp", local("link.bmp")), 0);
    ASSERT_EQ(chmod(local("earlier.bmp"), 0640), 0);
    const QStringList before = files();
    struct stat device
    {
    };
    ASSERT_EQ(stat("/dev/null", &device), 0);

    const struct
    {
        const char *name;
        QString reason;
    } cases[] = {
        {"fifo.bmp", "это именованный канал, а не обычный файл"},
        {"null.bmp", "это символическая ссылка на файл устройства, а не на обычный файл"},
        {"loop.bmp", "символические ссылки на пути к файлу образуют петлю"},
        {"dangling.bmp", "это символическая ссылка на несуществующий файл"},
        {"folder.bmp", "это папка, а не файл"},
    };
    for (const auto &each : cases) {
        struct stat was
        {
        }, is {};
        ASSERT_EQ(lstat(local(each.name), &was), 0);
        expectSaveRefused(each.name, each.reason);
        ASSERT_EQ(lstat(local(each.name), &is), 0);
        EXPECT_EQ(std::pair(is.st_ino, is.st_mode), std::pair(was.st_ino, was.st_mode));
    }
    struct stat still
    {
    };
    ASSERT_EQ(stat("/dev/null", &still), 0);
    EXPECT_EQ(std::pair(still.st_ino, still.st_rdev), std::pair(device.st_ino, device.st_rdev));
    EXPECT_EQ(files(), before); // nothing left aside

    ASSERT_EQ(board.savePicture(path("link.bmp")), std::nullopt);
    EXPECT_EQ(QFile::symLinkTarget(path("link.bmp")), path("earlier.bmp"));
    EXPECT_EQ(contents("earlier.bmp"), encoded(board.canvas().picture(), "BMP"));
    EXPECT_EQ(QFile::permissions(path("earlier.bmp")),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
            | QFile::ReadGroup);
    EXPECT_EQ(files(), before);
}

// A small file system mounted for the test in a mount namespace of the test's own, so that
// nothing of it shows elsewhere or stays behind.
std::optional<QString> mountScratch(const QByteArray &at, bool readOnly)
{
    static const int separate = unshare(CLONE_NEWNS) == 0
            && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
        ? 0
        : errno;
    if (separate != 0)
        return QStringLiteral("no mount namespace of its own: %1").arg(strerror(separate));
    if (mount("tmpfs", at, "tmpfs", 0, "size=64k") != 0)
        return QStringLiteral("no tmpfs: %1").arg(strerror(errno));
    QFile earlier(QFile::decodeName(at) + "/board.bmp");
    if (!earlier.open(QIODevice::WriteOnly) || earlier.write("earlier") != 7)
        return QStringLiteral("cannot seed the tmpfs");
    earlier.close();
    if (readOnly && mount(nullptr, at, nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        return QStringLiteral("no read-only remount: %1").arg(strerror(errno));
    return std::nullopt;
}

TEST_F(PictureFiles, AFullOrReadOnlyFileSystemRefusesTheSaveAndKeepsTheEarlierFile)
{
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "full");
        const char *place = readOnly ? "read-only" : "full";
        ASSERT_TRUE(QDir(directory.path()).mkdir(place));
        const QByteArray at = local(place);
        if (const auto missing = mountScratch(at, readOnly)) {
            umount2(at, MNT_DETACH);
            GTEST_SKIP() << "this test needs to mount a tmpfs, but there is "
                         << missing->toStdString();
        }
        const QString file = QFile::decodeName(at) + "/board.bmp";
        const std::optional<QString> message = board.savePicture(file);
        const QStringList left = QDir(QFile::decodeName(at)).entryList(QDir::Files | QDir::Hidden);
        QFile earlier(file);
        const QByteArray kept
            = earlier.open(QIODevice::ReadOnly) ? earlier.readAll() : QByteArray();
        umount2(at, MNT_DETACH);
        EXPECT_EQ(message,
            QStringLiteral("Не удалось сохранить рисунок в файл «%1»: %2.")
                .arg(file,
                    readOnly ? "файловая система доступна только для чтения"
                             : "на диске нет места"));
        EXPECT_EQ(kept, QByteArray("earlier"));
        EXPECT_EQ(left, QStringList {"board.bmp"});
    }
}

TEST_F(PictureFiles, AWriteOverTheFileSizeLimitOrIntoAFolderNotToBeWrittenKeepsTheEarlierFile)
{
    write("board.bmp", "earlier");
    // A file size limit far below the board's makes the write fail part way.
    rlimit usual {};
    getrlimit(RLIMIT_FSIZE, &usual);
    const rlimit limited {4096, usual.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    expectSaveRefused("board.bmp", "файл больше, чем допускает система");
    setrlimit(RLIMIT_FSIZE, &usual);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(contents("board.bmp"), QByteArray("earlier"));

    const QByteArray folder = QFile::encodeName(directory.path());
    ASSERT_EQ(chmod(local("board.bmp"), 0444), 0);
    ASSERT_EQ(chmod(folder, 0555), 0);
    {
        const AsAnOrdinaryUser user;
        expectSaveRefused("new.bmp", "нет прав на запись файла в эту папку");
        expectSaveRefused("board.bmp", "нет прав на запись этого файла");
    }
    chmod(folder, 0755);
    EXPECT_EQ(files(), QStringList {"board.bmp"});
}

} // namespace
} // namespace varmet::test
