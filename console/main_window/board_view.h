#pragma once

// The plotting board on the window (Image3): shows the board picture pixel for pixel, its
// top-left 650 x 650 px, repaints only the areas it is told have changed, and reports mouse
// presses, moves and releases in board pixels. The bearing and ring-distance scale labels stand
// over it on white.

#include <QWidget>

class QImage;

namespace varmet {

class BoardView : public QWidget
{
    Q_OBJECT
public:
    explicit BoardView(QWidget *parent);

    // The picture to show; it must outlive the view or be replaced.
    void setPicture(const QImage *picture);
    // Repaints the given board area from the picture.
    void refresh(const QRect &area);

signals:
    void mousePressed(int x, int y, Qt::MouseButtons buttons);
    void mouseMoved(int x, int y, Qt::MouseButtons buttons);
    void mouseReleased(int x, int y, Qt::MouseButtons buttons);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    const QImage *m_picture = nullptr;
};

} // namespace varmet
