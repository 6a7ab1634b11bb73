#include "board.h"

#include <algorithm>

#include "picture_file.h"
#include "scale_labels.h"

#include "model/figures.h"
#include "model/units.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <array>
#include <cstdlib>
#include <variant>
#include <vector>

namespace varmet {

namespace {

// The eraser: its outline stands 6 px around the pointer, the patch it wipes 5 px.
constexpr int OutlineReach = 6;
constexpr int PatchReach = 5;

// An icon is not a board picture by itself: it is laid on a white board at the top-left. A
// picture with transparent parts shows them white, as on paper.
QImage onWhite(const QImage &picture, QSize size)
{
    QImage board(size, QImage::Format_RGB32);
    board.fill(BoardColour::White);
    QPainter painter(&board);
    painter.drawImage(0, 0, picture);
    return board;
}

} // namespace

Board::Board()
{
    DrawStartGrid();
    TakeSnapshot();
}

void Board::DrawStartGrid()
{
    // Pen mode, width and brush are those of a fresh board: copy pen, width 1, solid white.
    m_canvas.setPenColor(BoardColour::Black);
    paintGrid();
}

void Board::Restart()
{
    m_figures.clear();
    QImage white(BoardSize, BoardSize, QImage::Format_RGB32);
    white.fill(BoardColour::White);
    m_canvas.replacePicture(white);
    m_eraseRect = {};
    m_eraserShown = false;
    DrawStartGrid();
    TakeSnapshot();
}

namespace {

// The rings and the four lines through the centre, in the canvas's pen; the pen ends at the
// bottom of the vertical line.
void PaintGrid(BoardCanvas &canvas)
{
    for (const int inset : {25, 125, 225})
        canvas.ellipse(inset, inset, BoardSize - inset, BoardSize - inset);
    const int half = BoardSize / 2;
    const std::array<Stroke, 4> lines {{
        {{0, 0}, {BoardSize, BoardSize}, 1},
        {{0, BoardSize}, {BoardSize, 0}, 1},
        {{0, half}, {BoardSize, half}, 1},
        {{half, 0}, {half, BoardSize}, 1},
    }};
    for (const Stroke &line : lines) {
        canvas.moveTo(line.from.x, line.from.y);
        canvas.lineTo(line.to.x, line.to.y);
    }
}

// The pixels a black copy pen of width 1 paints for the grid on a board of its own size: the same
// whatever the board shows, so found once on a white one.
const std::vector<QPoint> &GridPixels()
{
    static const std::vector<QPoint> points = [] {
        BoardCanvas blank;
        blank.setPenColor(BoardColour::Black);
        blank.setBrushStyle(BrushStyle::Clear);
        PaintGrid(blank);
        std::vector<QPoint> painted;
        for (int y = 0; y < BoardSize; ++y) {
            for (int x = 0; x < BoardSize; ++x) {
                if (blank.permanentPixel(x, y) != BoardColour::White)
                    painted.emplace_back(x, y);
            }
        }
        return painted;
    }();
    return points;
}

} // namespace

void Board::RefreshGrid()
{
    m_canvas.setPenMode(PenMode::CopyPen);
    m_canvas.setPenWidth(1);
    m_canvas.setPenColor(BoardColour::Black);
    // A clear brush leaves the inside of the rings, with everything plotted there, as it is.
    m_canvas.setBrushStyle(BrushStyle::Clear);
    if (m_canvas.size() != QSize(BoardSize, BoardSize)) {
        paintGrid(); // a picture of another size clips the grid its own way
        return;
    }
    // The grid's pixels painted straight, not drawn again: drawing the rings recomposes most of
    // the board.
    m_canvas.paintPixels(GridPixels(), BoardColour::Black);
    m_canvas.moveTo(BoardSize / 2, BoardSize);
}

const std::vector<QPoint> *Board::gridPixels() const
{
    return m_canvas.size() == QSize(BoardSize, BoardSize) ? &GridPixels() : nullptr;
}

void Board::paintGrid()
{
    PaintGrid(m_canvas);
}

void Board::RedrawOwnShipVector(std::int32_t ownCourse, WholeVector ownVelocity)
{
    m_figures.showOwnShipVector(OwnShipVector(ownCourse, ownVelocity));
}

void Board::showEraser(int x, int y)
{
    m_eraseRect = {x - OutlineReach, y - OutlineReach, x + OutlineReach, y + OutlineReach};
    m_canvas.drawFocusRect(
        m_eraseRect.Left, m_eraseRect.Top, m_eraseRect.Right, m_eraseRect.Bottom);
    m_eraserShown = true;
}

void Board::hideEraser()
{
    if (!m_eraserShown)
        return;
    m_canvas.drawFocusRect(
        m_eraseRect.Left, m_eraseRect.Top, m_eraseRect.Right, m_eraseRect.Bottom);
    m_eraserShown = false;
}

namespace {

int HeldOnReach(int position)
{
    return std::clamp(position, -Board::MousePositionReach, Board::MousePositionReach);
}

} // namespace

void Board::Image3MouseDown(int x, int y, bool eraserOn)
{
    if (!eraserOn)
        return;
    x = HeldOnReach(x);
    y = HeldOnReach(y);
    hideEraser();
    showEraser(x, y);
    m_canvas.setBrushColor(BoardColour::White);
    m_canvas.fillRect(x - PatchReach, y - PatchReach, x + PatchReach, y + PatchReach);
}

void Board::Image3MouseMove(int x, int y, bool leftButtonHeld, bool eraserOn)
{
    if (!leftButtonHeld || !eraserOn)
        return;
    x = HeldOnReach(x);
    y = HeldOnReach(y);
    hideEraser();
    showEraser(x, y);
    m_canvas.fillRect(x - PatchReach, y - PatchReach, x + PatchReach, y + PatchReach);
}

QRect Board::ErasedPatch(int x, int y)
{
    x = HeldOnReach(x);
    y = HeldOnReach(y);
    return QRect(
        QPoint(x - PatchReach, y - PatchReach), QPoint(x + PatchReach - 1, y + PatchReach - 1));
}

void Board::Image3MouseUp(bool eraserOn)
{
    if (eraserOn)
        hideEraser();
}

void Board::TakeSnapshot()
{
    m_undoBitmap = m_canvas.permanentPicture();
}

void Board::UndoClick()
{
    replaceBoardPicture(m_undoBitmap);
}

void Board::replaceBoardPicture(const QImage &picture)
{
    if (picture.size() == m_canvas.size()) {
        m_canvas.replacePicture(picture);
        return;
    }
    // A live figure must be erased on the board size it was drawn on: on a larger board its
    // strokes reach pixels they never inverted. So take the figures off, change the picture and
    // lay them on again.
    struct ShownFigure
    {
        FigureKind kind;
        int slot;
        RecordedFigure figure;
    };
    std::vector<ShownFigure> shown;
    for (int slot = 1; slot <= SlotCount; ++slot) {
        for (std::size_t k = 0; k < FigureKindCount; ++k) {
            const auto kind = static_cast<FigureKind>(k);
            shown.push_back({kind, slot, m_figures.recorded(kind, slot)});
        }
    }
    const StrokeList vector = m_figures.recordedOwnShipVector().strokes;
    m_figures.clear();
    m_canvas.replacePicture(picture);
    for (const ShownFigure &each : shown)
        m_figures.show(each.kind, each.slot, each.figure.colour, each.figure.strokes);
    m_figures.showOwnShipVector(vector);
}

std::optional<QString> Board::openPicture(const QString &path)
{
    std::variant<QImage, QString> read = ReadPicture(path);
    if (const QString *refusal = std::get_if<QString>(&read))
        return *refusal;
    showPicture(std::get<QImage>(read));
    return std::nullopt;
}

std::variant<QImage, QString> Board::ReadPicture(const QString &path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("emf") || extension == QLatin1String("wmf"))
        return QStringLiteral("Метафайлы (.emf, .wmf) не поддерживаются: планшет загружает "
                              "только точечные рисунки (.bmp, .png) и значки (.ico).");
    std::optional<PictureFormat> format;
    if (extension == QLatin1String("bmp"))
        format = PictureFormat::Bmp;
    else if (extension == QLatin1String("png"))
        format = PictureFormat::Png;
    else if (extension == QLatin1String("ico"))
        format = PictureFormat::Icon;
    else
        return QStringLiteral("Расширение «%1» не обозначает формат рисунка, который может "
                              "загрузить планшет (.bmp, .png, .ico).")
            .arg(extension.isEmpty() ? QStringLiteral("(нет)") : QLatin1Char('.') + extension);

    // The extension decides the format, never the file's content.
    std::variant<QImage, QString> read = ReadPictureFile(path, *format);
    if (const QString *refusal = std::get_if<QString>(&read))
        return QStringLiteral("Не удалось загрузить рисунок «%1»: %2.")
            .arg(QDir::toNativeSeparators(path), *refusal);
    const QImage &picture = std::get<QImage>(read);
    if (*format == PictureFormat::Icon)
        return onWhite(picture, QSize(BoardSize, BoardSize));
    if (picture.hasAlphaChannel())
        return onWhite(picture, picture.size());
    return picture;
}

void Board::showPicture(const QImage &picture)
{
    replaceBoardPicture(picture);
    TakeSnapshot();
}

std::optional<QString> Board::savePicture(const QString &typedPath)
{
    for (const ScaleLabel &label : ScaleLabels)
        m_canvas.textOut(label.x, label.y, QString::fromLatin1(label.text));
    TakeSnapshot();

    const QString path = SavedPictureName(typedPath);
    const auto failure = [&](const QString &reason) {
        return QStringLiteral("Не удалось сохранить рисунок в файл «%1»: %2.")
            .arg(QDir::toNativeSeparators(path), reason);
    };
    const bool png = SavedPictureFormat(path) == PictureFormat::Png;
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!m_canvas.picture().save(&buffer, png ? "PNG" : "BMP"))
            return failure(QStringLiteral("рисунок не удалось записать в формате %1")
                               .arg(png ? QStringLiteral("PNG") : QStringLiteral("BMP")));
    }
    if (const auto reason = WriteFileInPlace(path, bytes))
        return failure(*reason);
    return std::nullopt;
}

BoardRecord Board::record() const
{
    return {m_canvas.permanentPicture(), m_undoBitmap, m_canvas.state(), m_figures.all(),
        m_eraseRect, m_eraserShown};
}

void Board::restore(const BoardRecord &record)
{
    // Live figures and the eraser outline are inverted without touching the pen or brush.
    m_canvas.restore(record.picture, record.canvas);
    m_figures.restore(record.figures);
    m_eraseRect = record.eraseRect;
    m_eraserShown = false;
    if (record.eraserShown)
        showEraser(record.eraseRect.Left + OutlineReach, record.eraseRect.Top + OutlineReach);
    m_undoBitmap = record.undoBitmap;
}

namespace {

// A label far off the board paints nothing that could be seen; the painter's coordinates are
// plain ints.
bool LabelOnReach(PixelPoint at)
{
    constexpr std::int64_t Far = 1 << 20;
    return std::llabs(at.x) <= Far && std::llabs(at.y) <= Far;
}

} // namespace

void Board::drawTargetLabel(const QString &numberText, PixelPoint at)
{
    if (LabelOnReach(at))
        m_canvas.textOut(
            static_cast<int>(at.x), static_cast<int>(at.y), QStringLiteral("№") + numberText);
}

QRect Board::targetLabelArea(const QString &numberText, PixelPoint at) const
{
    if (!LabelOnReach(at))
        return {};
    return m_canvas.textArea(
        static_cast<int>(at.x), static_cast<int>(at.y), QStringLiteral("№") + numberText);
}

} // namespace varmet
