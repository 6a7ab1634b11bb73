#include "board_commands.h"

#include "desk.h"

#include "board/board.h"
#include "session/journal.h"

#include <QFileInfo>

#include <cstring>

#include <utility>

namespace varmet {

// ---- What a drawing changed -------------------------------------------------------------------

BoardEdit::BoardEdit(const BoardCanvas &canvas, const QRect &area)
    : m_board(canvas.size())
    , m_area(area.intersected(QRect(QPoint(0, 0), canvas.size())))
    , m_stateBefore(canvas.state())
    , m_stateAfter(m_stateBefore)
{
    // A copy of the area alone: a copy of the whole picture held while drawing would make the
    // drawing copy it again.
    if (!m_area.isEmpty())
        m_before = canvas.permanentPicture().copy(m_area);
}

BoardEdit::BoardEdit(const BoardCanvas &canvas, const std::vector<QPoint> &points)
    : m_board(canvas.size())
    , m_area(QPoint(0, 0), canvas.size())
    , m_points(&points)
    , m_stateBefore(canvas.state())
    , m_stateAfter(m_stateBefore)
{
    m_pointsBefore.reserve(points.size());
    for (const QPoint &point : points)
        m_pointsBefore.push_back(canvas.permanentPixel(point.x(), point.y()));
}

void BoardEdit::finish(const BoardCanvas &canvas)
{
    m_stateAfter = canvas.state();
    m_pixels.clear();
    if (const std::vector<QPoint> *points = std::exchange(m_points, nullptr)) {
        if (canvas.size() != m_board)
            return;
        for (std::size_t i = 0; i < points->size(); ++i) {
            const QPoint &point = (*points)[i];
            const QRgb is = canvas.permanentPixel(point.x(), point.y());
            if (is != m_pointsBefore[i])
                m_pixels.push_back({point.x(), point.y(), m_pointsBefore[i], is});
        }
        m_pointsBefore = {};
        return;
    }
    const QImage before = std::exchange(m_before, QImage());
    if (before.isNull() || canvas.size() != m_board)
        return;
    // Read through a shared copy: nothing is drawn while it is held.
    const QImage after = canvas.permanentPicture();
    const auto width = static_cast<std::size_t>(m_area.width());
    for (int y = m_area.top(); y <= m_area.bottom(); ++y) {
        const auto *was = reinterpret_cast<const QRgb *>(before.constScanLine(y - m_area.top()));
        const auto *is = reinterpret_cast<const QRgb *>(after.constScanLine(y)) + m_area.left();
        if (std::memcmp(was, is, width * sizeof(QRgb)) == 0)
            continue;
        for (std::size_t i = 0; i < width; ++i) {
            if (was[i] != is[i])
                m_pixels.push_back({m_area.left() + static_cast<int>(i), y, was[i], is[i]});
        }
    }
}

void BoardEdit::merge(const BoardEdit &later)
{
    const auto earlier
        = [](const Pixel &a, const Pixel &b) { return a.y != b.y ? a.y < b.y : a.x < b.x; };
    std::vector<Pixel> merged;
    merged.reserve(m_pixels.size() + later.m_pixels.size());
    auto a = m_pixels.begin();
    auto b = later.m_pixels.begin();
    while (a != m_pixels.end() || b != later.m_pixels.end()) {
        if (b == later.m_pixels.end() || (a != m_pixels.end() && earlier(*a, *b))) {
            merged.push_back(*a++);
        } else if (a == m_pixels.end() || earlier(*b, *a)) {
            merged.push_back(*b++);
        } else {
            // Painted by both: from what was there first to what the later one left.
            if (a->before != b->after)
                merged.push_back({a->x, a->y, a->before, b->after});
            ++a;
            ++b;
        }
    }
    m_pixels = std::move(merged);
    m_area |= later.m_area;
    m_stateAfter = later.m_stateAfter;
}

void BoardEdit::undo(BoardCanvas &canvas) const
{
    turn(canvas, true);
}

void BoardEdit::redo(BoardCanvas &canvas) const
{
    turn(canvas, false);
}

void BoardEdit::turn(BoardCanvas &canvas, bool back) const
{
    // A picture of another size has replaced the board since: none of these pixels is there.
    if (canvas.size() == m_board) {
        for (const Pixel &pixel : m_pixels) {
            const QRgb from = back ? pixel.after : pixel.before;
            // A pixel painted over since keeps what was painted later.
            if (canvas.permanentPixel(pixel.x, pixel.y) == from)
                canvas.setPermanentPixel(pixel.x, pixel.y, back ? pixel.before : pixel.after);
        }
    }
    if (canvas.state() == (back ? m_stateAfter : m_stateBefore))
        canvas.setState(back ? m_stateBefore : m_stateAfter);
}

// ---- Drawings ---------------------------------------------------------------------------------

BoardCommand::BoardCommand(Desk &desk)
    : DeskCommand(desk)
{ }

QRect BoardCommand::drawnArea() const
{
    return QRect(QPoint(0, 0), m_desk.board().canvas().size());
}

void BoardCommand::apply()
{
    BoardCanvas &canvas = m_desk.board().canvas();
    if (m_edit) { // done again after an undo
        m_edit->redo(canvas);
        return;
    }
    const std::vector<QPoint> *pixels = drawnPixels();
    BoardEdit edit = pixels ? BoardEdit(canvas, *pixels) : BoardEdit(canvas, drawnArea());
    draw();
    edit.finish(canvas);
    m_edit = std::move(edit);
}

void BoardCommand::revertLater()
{
    if (m_edit)
        m_edit->undo(m_desk.board().canvas());
}

EraserStroke::EraserStroke(Desk &desk, Part part, int x, int y, bool rightButton)
    : BoardCommand(desk)
    , m_part(part)
    , m_x(x)
    , m_y(y)
    , m_rightButton(rightButton)
    , m_open(part != Part::Release)
{
    setText(QStringLiteral("ластик"));
}

QString EraserStroke::scriptLine() const
{
    switch (m_part) {
    case Part::Press:
        return QStringLiteral("mouse down %1 %2%3")
            .arg(m_x)
            .arg(m_y)
            .arg(m_rightButton ? QStringLiteral(" right") : QString());
    case Part::Move:
        return QStringLiteral("mouse move %1 %2").arg(m_x).arg(m_y);
    case Part::Release:
        break;
    }
    return QStringLiteral("mouse up %1 %2").arg(m_x).arg(m_y);
}

int EraserStroke::id() const
{
    return 0x4552; // any number of its own: the parts of a stroke merge
}

bool EraserStroke::mergeWith(const QUndoCommand *other)
{
    const auto *part = static_cast<const EraserStroke *>(other); // the same id
    if (!m_open || part->m_part == Part::Press || !m_edit || !part->m_edit)
        return false;
    m_edit->merge(*part->m_edit);
    m_open = part->m_part != Part::Release;
    return true;
}

void EraserStroke::draw()
{
    Board &board = m_desk.board();
    switch (m_part) {
    case Part::Press:
        board.Image3MouseDown(m_x, m_y, true);
        break;
    case Part::Move:
        board.Image3MouseMove(m_x, m_y, true, true);
        break;
    case Part::Release:
        board.Image3MouseUp(true);
        // It paints nothing: it only ends the stroke it merges into, and is no action alone.
        setObsolete(true);
        break;
    }
}

QRect EraserStroke::drawnArea() const
{
    // The outline is no paint of the picture; a release paints nothing.
    return m_part == Part::Release ? QRect() : Board::ErasedPatch(m_x, m_y);
}

PutLabel::PutLabel(Desk &desk, const QString &numberText, PixelPoint at)
    : BoardCommand(desk)
    , m_numberText(numberText)
    , m_at(at)
{
    setText(QStringLiteral("надпись «№%1»").arg(numberText));
}

QString PutLabel::scriptLine() const
{
    return QStringLiteral("click Button2");
}

void PutLabel::draw()
{
    m_desk.board().drawTargetLabel(m_numberText, m_at);
}

QRect PutLabel::drawnArea() const
{
    return m_desk.board().targetLabelArea(m_numberText, m_at);
}

GridRefresh::GridRefresh(Desk &desk)
    : BoardCommand(desk)
{
    setText(QStringLiteral("обновление сетки"));
}

QString GridRefresh::scriptLine() const
{
    return QStringLiteral("click Button1");
}

void GridRefresh::draw()
{
    m_desk.board().RefreshGrid();
}

const std::vector<QPoint> *GridRefresh::drawnPixels() const
{
    return m_desk.board().gridPixels();
}

// ---- Picture files ----------------------------------------------------------------------------

OpenPicture::OpenPicture(Desk &desk, const QString &path, const QImage &picture)
    : DeskCommand(desk)
    , m_path(path)
    , m_picture(picture)
{
    setText(QStringLiteral("открыт рисунок %1").arg(QFileInfo(path).fileName()));
}

QString OpenPicture::scriptLine() const
{
    return QStringLiteral("menu MOpen ") + m_path;
}

void OpenPicture::apply()
{
    Board &board = m_desk.board();
    BoardCanvas &canvas = board.canvas();
    if (!m_done) {
        m_done = true;
        m_previousSnapshot = board.undoBitmap();
        m_stateBefore = canvas.state();
        if (m_picture.size() == canvas.size()) {
            BoardEdit edit(canvas, QRect(QPoint(0, 0), canvas.size()));
            board.showPicture(m_picture);
            edit.finish(canvas);
            m_edit = std::move(edit);
        } else {
            m_previous = canvas.permanentPicture();
            board.showPicture(m_picture);
        }
        m_openedSnapshot = board.undoBitmap();
        return;
    }
    if (m_edit) {
        m_edit->redo(canvas);
        board.setUndoBitmap(m_openedSnapshot);
    } else {
        board.showPicture(m_picture);
    }
}

void OpenPicture::revertLater()
{
    Board &board = m_desk.board();
    BoardCanvas &canvas = board.canvas();
    if (m_edit) {
        m_edit->undo(canvas);
    } else if (!m_previous.isNull()) {
        board.showPicture(m_previous);
        canvas.setState(m_stateBefore);
    }
    board.setUndoBitmap(m_previousSnapshot);
}

SavePicture::SavePicture(Desk &desk, const QString &path)
    : OnceCommand(desk)
    , m_path(path)
{
    setText(QStringLiteral("сохранен рисунок %1").arg(QFileInfo(path).fileName()));
}

QString SavePicture::scriptLine() const
{
    return QStringLiteral("menu MSave ") + m_path;
}

void SavePicture::apply()
{
    m_failure = m_desk.board().savePicture(m_path);
}

NothingChanged::NothingChanged(Desk &desk, const QString &line, std::optional<QString> failure)
    : OnceCommand(desk)
    , m_line(line)
    , m_failure(std::move(failure))
{ }

// ---- Exercises and sessions -------------------------------------------------------------------

StartExercise::StartExercise(
    Desk &desk, const QString &path, std::optional<std::uint64_t> seed, Starter start)
    : OnceCommand(desk)
    , m_path(path)
    , m_seed(seed)
    , m_start(std::move(start))
{
    setText(QStringLiteral("начато учение %1").arg(QFileInfo(path).fileName()));
}

QString StartExercise::scriptLine() const
{
    // With the seed drawn when neither the operator nor the file gave one, so that a replay hears
    // the same sonar.
    return QStringLiteral("exercise %1 %2").arg(m_path).arg(m_seed.value_or(0));
}

void StartExercise::record(Journal &journal) const
{
    if (m_seed) // a refused file started nothing
        journal.action(scriptLine());
}

void StartExercise::apply()
{
    m_seed = m_start(m_path, m_seed);
}

EndExercise::EndExercise(Desk &desk, std::function<void()> end)
    : OnceCommand(desk)
    , m_end(std::move(end))
{
    setText(QStringLiteral("учение завершено"));
}

QString EndExercise::scriptLine() const
{
    return QStringLiteral("menu MExerciseStop");
}

void EndExercise::apply()
{
    m_desk.journal().action(scriptLine());
    m_end();
}

OpenSession::OpenSession(Desk &desk, const QString &path, FileAction open)
    : OnceCommand(desk)
    , m_path(path)
    , m_open(std::move(open))
{
    setText(QStringLiteral("открыт сеанс %1").arg(QFileInfo(path).fileName()));
}

QString OpenSession::scriptLine() const
{
    return QStringLiteral("session open ") + m_path;
}

SaveSession::SaveSession(Desk &desk, const QString &path, OpenSession::FileAction save)
    : OnceCommand(desk)
    , m_path(path)
    , m_save(std::move(save))
{
    setText(QStringLiteral("сохранен сеанс %1").arg(QFileInfo(path).fileName()));
}

QString SaveSession::scriptLine() const
{
    return QStringLiteral("session save ") + m_path;
}

} // namespace varmet
