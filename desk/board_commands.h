#pragma once

// The board's and the files' operator actions as desk commands: eraser strokes, target labels,
// the grid refreshed, a picture opened or saved, an exercise started or ended, a session opened
// or saved.
//
// A drawing is undone exactly whenever the undo comes: the command keeps the pixels of the
// board's permanent content it changed (what was there, what it painted) and puts back only those
// that still show its paint, so nothing drawn or entered before or after it is taken back. Files
// and exercises are done once: saving changes nothing of the plot; opening a session or starting
// an exercise puts another plot in place of this one.

#include "commands.h"

#include "board/board_canvas.h"
#include "model/figures.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace varmet {

// What a drawing changed in the board's permanent content, pixel by pixel, with the canvas state
// (pen, brush, position) before and after it.
class BoardEdit
{
public:
    // Begins an edit of `area` (clipped to the board): its pixels and the state as they are now.
    BoardEdit(const BoardCanvas &canvas, const QRect &area);
    // Begins an edit of the given pixels alone (on the board, by row, then column): for a drawing
    // that is known to paint nowhere else.
    BoardEdit(const BoardCanvas &canvas, const std::vector<QPoint> &points);
    // The drawing is done: keeps what it changed.
    void finish(const BoardCanvas &canvas);
    // `later`, a drawing done after this one, becomes part of it.
    void merge(const BoardEdit &later);

    // Every pixel that still shows the drawing's paint gets back what was there before it, and
    // the state goes back when the canvas still has the one the drawing left. Redo is the same
    // the other way.
    void undo(BoardCanvas &canvas) const;
    void redo(BoardCanvas &canvas) const;

    std::size_t changedPixels() const { return m_pixels.size(); }

private:
    struct Pixel
    {
        int x;
        int y;
        QRgb before;
        QRgb after;
    };
    void turn(BoardCanvas &canvas, bool back) const;

    QSize m_board;
    QRect m_area;
    QImage m_before; // the area, while the drawing runs
    const std::vector<QPoint> *m_points = nullptr; // the pixels alone, if so begun
    std::vector<QRgb> m_pointsBefore;
    std::vector<Pixel> m_pixels; // by row, then column
    CanvasState m_stateBefore;
    CanvasState m_stateAfter;
};

// A drawing on the board as an undoable command: drawn once, then undone and redone as its edit.
class BoardCommand : public DeskCommand
{
public:
    bool drawsOnly() const override { return true; }

protected:
    explicit BoardCommand(Desk &desk);
    // The drawing itself, done when the command is first done.
    virtual void draw() = 0;
    // Where it may paint: the whole board unless the command knows better.
    virtual QRect drawnArea() const;
    // The very pixels it may paint, when it knows them (by row, then column); none: its area.
    virtual const std::vector<QPoint> *drawnPixels() const { return nullptr; }

    std::optional<BoardEdit> m_edit;

private:
    void apply() override;
    void revertLater() override;
    bool revertsExactly() const override { return true; }
};

// A part of an eraser stroke on the board (the eraser button down): the press (with either
// button) wipes a patch and shows the outline, a move with the left button held wipes on, the
// release removes the outline. The parts of one stroke, from a press to its release, merge into
// one command: "ластик".
class EraserStroke : public BoardCommand
{
public:
    enum class Part { Press, Move, Release };
    EraserStroke(Desk &desk, Part part, int x, int y, bool rightButton = false);
    QString scriptLine() const override;
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

private:
    void draw() override;
    QRect drawnArea() const override;

    Part m_part;
    int m_x;
    int m_y;
    bool m_rightButton;
    bool m_open = true; // a part of the same stroke may still follow
};

// The target's number written on the board at its plotted position ("Надпись"): "№" and the
// number text, its top-left corner at `at`.
class PutLabel : public BoardCommand
{
public:
    PutLabel(Desk &desk, const QString &numberText, PixelPoint at);
    QString scriptLine() const override;

private:
    void draw() override;
    QRect drawnArea() const override;

    QString m_numberText;
    PixelPoint m_at;
};

// The range rings and lines through the centre painted again in black ("Обновить сетку").
class GridRefresh : public BoardCommand
{
public:
    explicit GridRefresh(Desk &desk);
    QString scriptLine() const override;

private:
    void draw() override;
    const std::vector<QPoint> *drawnPixels() const override;
};

// A picture file shown as the board (read before, see Board::ReadPicture). Undone, the previous
// picture comes back: on a board of the same size only where the opened picture still shows.
class OpenPicture : public DeskCommand
{
public:
    OpenPicture(Desk &desk, const QString &path, const QImage &picture);
    QString scriptLine() const override;
    bool drawsOnly() const override { return true; }

private:
    void apply() override;
    void revertLater() override;
    bool revertsExactly() const override { return true; }

    QString m_path;
    QImage m_picture;
    bool m_done = false;
    std::optional<BoardEdit> m_edit; // when the picture has the board's size
    QImage m_previous; // else the board before it
    QImage m_previousSnapshot;
    QImage m_openedSnapshot;
    CanvasState m_stateBefore;
};

// A command done once and for good: not on the undo stack.
class OnceCommand : public DeskCommand
{
public:
    bool undoable() const override { return false; }

protected:
    using DeskCommand::DeskCommand;

private:
    void revertLater() override { }
};

// The board written to a picture file (with the scale labels painted into it). Journalled, but
// no change of the plot.
class SavePicture : public OnceCommand
{
public:
    SavePicture(Desk &desk, const QString &path);
    QString scriptLine() const override;
    bool drawsOnly() const override { return true; }
    Outcome outcome() const override { return Outcome::Unchanged; }
    std::optional<QString> failure() const override { return m_failure; }

private:
    void apply() override;

    QString m_path;
    std::optional<QString> m_failure;
};

// An operator action that changed nothing (a picture refused, a label without a target):
// journalled as ever, so that a replay meets it too, but no change and nothing to undo.
class NothingChanged : public OnceCommand
{
public:
    NothingChanged(Desk &desk, const QString &line, std::optional<QString> failure = {});
    QString scriptLine() const override { return m_line; }
    Outcome outcome() const override { return Outcome::Unchanged; }
    bool drawsOnly() const override { return true; }
    std::optional<QString> failure() const override { return m_failure; }

private:
    void apply() override { }

    QString m_line;
    std::optional<QString> m_failure;
};

// "Учение" → "Начать…": the exercise in `path` started, the plot back at the start.
class StartExercise : public OnceCommand
{
public:
    // Starts it and gives the seed its sonar draws with; none: the file was refused (and the
    // operator told so).
    using Starter = std::function<std::optional<std::uint64_t>(
        const QString &path, std::optional<std::uint64_t> seed)>;
    StartExercise(
        Desk &desk, const QString &path, std::optional<std::uint64_t> seed, Starter start);
    QString scriptLine() const override;
    void record(Journal &journal) const override;
    Outcome outcome() const override { return m_seed ? Outcome::Replaced : Outcome::Unchanged; }

private:
    void apply() override;

    QString m_path;
    std::optional<std::uint64_t> m_seed;
    Starter m_start;
};

// "Учение" → "Завершить": the running exercise ended and scored.
class EndExercise : public OnceCommand
{
public:
    EndExercise(Desk &desk, std::function<void()> end);
    QString scriptLine() const override;
    // Journalled before the end itself: the run kept at its end holds its journal whole.
    void record(Journal &) const override { }

private:
    void apply() override;

    std::function<void()> m_end;
};

// A session opened (the plot, its journal and its exercise replace this one) or saved. Neither
// makes a journal line of its own: the opened session brings its journal, and a saved one holds
// the journal up to the save.
class OpenSession : public OnceCommand
{
public:
    // Does it; returns the reason of a refusal, which leaves the plot as it was.
    using FileAction = std::function<std::optional<QString>(const QString &path)>;
    OpenSession(Desk &desk, const QString &path, FileAction open);
    QString scriptLine() const override;
    void record(Journal &) const override { }
    Outcome outcome() const override { return m_failure ? Outcome::Unchanged : Outcome::Replaced; }
    std::optional<QString> failure() const override { return m_failure; }

private:
    void apply() override { m_failure = m_open(m_path); }

    QString m_path;
    FileAction m_open;
    std::optional<QString> m_failure;
};

class SaveSession : public OnceCommand
{
public:
    SaveSession(Desk &desk, const QString &path, OpenSession::FileAction save);
    QString scriptLine() const override;
    void record(Journal &) const override { }
    Outcome outcome() const override { return m_failure ? Outcome::Unchanged : Outcome::Saved; }
    std::optional<QString> failure() const override { return m_failure; }

private:
    void apply() override { m_failure = m_save(m_path); }

    QString m_path;
    OpenSession::FileAction m_save;
    std::optional<QString> m_failure;
};

} // namespace varmet
