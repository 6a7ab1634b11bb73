#pragma once

// The plotting board as a whole: the canvas with its live figures, the grid, the own-ship
// vector, the eraser, the undo snapshot, picture files and the target number labels. Widgets and
// dialogs are the console's; the board takes board coordinates and file paths.

#include "board_canvas.h"
#include "live_figures.h"

#include "model/motion.h"
#include "model/state.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <optional>
#include <variant>

namespace varmet {

// Everything the board holds, for a session to write out and put back.
struct BoardRecord
{
    QImage picture; // the permanent content, without live figures
    QImage undoBitmap;
    CanvasState canvas;
    LiveFigures::Figures figures {};
    EraseRectangle eraseRect;
    bool eraserShown = false; // whether the eraser outline stands on the board
};

class Board
{
public:
    // A fresh white board with the start grid and the first snapshot.
    Board();

    BoardCanvas &canvas() { return m_canvas; }
    const BoardCanvas &canvas() const { return m_canvas; }
    LiveFigures &figures() { return m_figures; }
    const LiveFigures &figures() const { return m_figures; }

    // The range rings and lines through the centre: on a fresh board with its default pen and
    // brush (start), or repainted in black with a clear brush (refresh), leaving the inside of
    // the rings as it is.
    void DrawStartGrid();
    void RefreshGrid();
    // The pixels RefreshGrid paints, by row, then column; none when the board shows a picture of
    // another size (the grid is clipped to it).
    const std::vector<QPoint> *gridPixels() const;
    // Back to the board of the start: white, the start grid, a new snapshot, no live figures.
    void Restart();

    // Erases the own-ship vector drawn last (none at start) and draws it for the new values.
    void RedrawOwnShipVector(std::int32_t ownCourse, WholeVector ownVelocity);

    // The eraser, while `eraserOn` (the eraser button is down): a press wipes a 10 x 10 patch and
    // shows the dotted outline, a move with the left button held moves both, a release removes
    // the outline.
    // Positions beyond MousePositionReach either way are held there: far off the board, and far
    // from where arithmetic on them could overflow.
    static constexpr int MousePositionReach = 1 << 20;
    void Image3MouseDown(int x, int y, bool eraserOn);
    void Image3MouseMove(int x, int y, bool leftButtonHeld, bool eraserOn);
    void Image3MouseUp(bool eraserOn);
    // The patch a press, or a move with the left button held, wipes at (x, y) (not yet clipped
    // to the board).
    static QRect ErasedPatch(int x, int y);

    // The snapshot holds the permanent content only (no live figures).
    void TakeSnapshot();
    const QImage &undoBitmap() const { return m_undoBitmap; }
    // The board := the snapshot, with the live figures laid over it.
    void UndoClick();

    // Loads a picture into the board and takes a snapshot. The format follows the extension: a
    // bitmap or a PNG picture as it is (any size up to 4096 x 4096 px, transparent parts white),
    // an icon onto a white 650 x 650 raster at its top-left. Returns the reason of a refusal
    // (metafile, not a regular file, unreadable, not a whole picture, too large), in which case
    // board and snapshot are untouched.
    std::optional<QString> openPicture(const QString &path);
    // The same in two steps: the file read as the board would show it, or the reason of its
    // refusal; and such a picture shown on the board, with a snapshot taken of it.
    static std::variant<QImage, QString> ReadPicture(const QString &path);
    void showPicture(const QImage &picture);
    // The snapshot put back as it was before a picture was shown.
    void setUndoBitmap(const QImage &bitmap) { m_undoBitmap = bitmap; }

    // Paints the scale labels into the board, takes a snapshot and writes the board as seen
    // (live figures included) as a PNG file when `path` ends in ".png", else as a BMP file under
    // `path` with ".bmp" added unless it ends so; see SavedPictureName. Only a new name or a
    // regular file is written, atomically. Returns the reason of a refusal or failed write; any
    // earlier file is then left as it was.
    std::optional<QString> savePicture(const QString &path);

    // The board as it stands, and the board put back from such a record: afterwards it shows
    // and behaves exactly as the board that was recorded.
    BoardRecord record() const;
    void restore(const BoardRecord &record);

    // "№" followed by numberText, with its top-left corner at the given point.
    void drawTargetLabel(const QString &numberText, PixelPoint at);
    // The area it may paint (none far off the board).
    QRect targetLabelArea(const QString &numberText, PixelPoint at) const;

private:
    void paintGrid();
    // The board picture := `picture`; the live figures stay laid over it, fitted to its size.
    void replaceBoardPicture(const QImage &picture);
    void showEraser(int x, int y);
    void hideEraser();

    BoardCanvas m_canvas;
    LiveFigures m_figures {m_canvas};
    QImage m_undoBitmap;
    EraseRectangle m_eraseRect;
    // Whether the eraser outline is on the board now: only an outline that is shown is removed,
    // so a release or a move that did not start with a press leaves no inverted trace.
    bool m_eraserShown = false;
};

} // namespace varmet
