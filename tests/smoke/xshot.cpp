// xshot: saves a screenshot of one top-level window of the X display and, on request, checks
// that the window shows the plotting board: a 650 x 650 field of white with the black grid of
// range rings and lines through the centre, left edge 32 px into the window and top edge below
// the menu bar. There is no window manager under the test server, so the window's geometry (as
// xdotool reports it) is its client area.
//
//   xshot OUTPUT.png X Y WIDTH HEIGHT [--check-board]
//
// Exit status: 0 saved (and board found), 1 board not found, 2 usage or screen error.

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <iterator>
#include <optional>

namespace {

constexpr int BoardSide = 650;
constexpr int BoardLeft = 32; // the board's left edge in the window
constexpr int LeftSlack = 8; // tolerance for frames around the board
constexpr int MaxMenuHeight = 120;

bool isBlack(QRgb pixel)
{
    return qRed(pixel) < 64 && qGreen(pixel) < 64 && qBlue(pixel) < 64;
}

bool isWhite(QRgb pixel)
{
    return qRed(pixel) > 240 && qGreen(pixel) > 240 && qBlue(pixel) > 240;
}

// Whether the grid stands with its top-left corner at (left, top) of the image: black on the
// centre, the axes, the diagonals and a ring, white between them. The samples keep clear of the
// scale labels that stand over the board.
bool gridAt(const QImage &image, int left, int top)
{
    struct Sample
    {
        int x, y;
    };
    static constexpr Sample black[] = {
        {325, 325}, // centre
        {100, 325}, {250, 325}, // horizontal axis
        {325, 120}, {325, 550}, // vertical axis
        {100, 100}, {550, 550}, {100, 550}, {550, 100}, // diagonals
        {25, 325}, // outer ring, left
    };
    static constexpr Sample white[] = {
        {200, 260},
        {260, 200},
        {400, 450},
        {450, 400},
        {60, 200},
        {590, 450},
    };
    const auto pixel = [&](Sample s) { return image.pixel(left + s.x, top + s.y); };
    int blackHits = 0;
    for (Sample s : black)
        blackHits += isBlack(pixel(s)) ? 1 : 0;
    for (Sample s : white)
        if (!isWhite(pixel(s)))
            return false;
    // Two misses allowed: the own-ship vector may stand on the centre, a label on a line.
    return blackHits >= int(std::size(black)) - 2;
}

struct BoardPlace
{
    int left, top;
};

std::optional<BoardPlace> findBoard(const QImage &window)
{
    for (int top = 0; top <= MaxMenuHeight && top + BoardSide <= window.height(); ++top)
        for (int dx = -LeftSlack; dx <= LeftSlack; ++dx) {
            const int left = BoardLeft + dx;
            if (left >= 0 && left + BoardSide <= window.width() && gridAt(window, left, top))
                return BoardPlace {left, top};
        }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 6 || args.size() > 7 || (args.size() == 7 && args[6] != "--check-board")) {
        std::fprintf(stderr, "usage: xshot OUTPUT.png X Y WIDTH HEIGHT [--check-board]\n");
        return 2;
    }
    const QString output = args[1];
    const int x = args[2].toInt(), y = args[3].toInt();
    const int width = args[4].toInt(), height = args[5].toInt();
    const bool checkBoard = args.size() == 7;

    QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || width <= 0 || height <= 0) {
        std::fprintf(stderr, "xshot: no screen or an empty window\n");
        return 2;
    }
    // The root window, cut to the program's window.
    const QImage window = screen->grabWindow(0, x, y, width, height)
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    if (window.isNull() || !window.save(output, "PNG")) {
        std::fprintf(stderr, "xshot: cannot grab the screen or write %s\n", qPrintable(output));
        return 2;
    }
    if (!checkBoard)
        return 0;

    const std::optional<BoardPlace> board = findBoard(window);
    if (!board) {
        std::fprintf(stderr, "xshot: no plotting board with its grid in the %d x %d window\n",
            width, height);
        return 1;
    }
    std::printf("xshot: board found at (%d, %d) of the window\n", board->left, board->top);
    return 0;
}
