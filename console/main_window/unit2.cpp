#include "unit2.h"

#include "manual_text.h"
#include "screen_fit.h"

#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace varmet {

TForm2::TForm2(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_memo(new QPlainTextEdit(this))
    , m_closeButton(new QPushButton(QStringLiteral("Закрытие справки"), this))
{
    setObjectName("Form2");
    setWindowTitle(QStringLiteral("Справка по работе программы"));
    // move() places the outer frame; the client area is fitted to the outer size once the frame
    // is known (showEvent). Without a window manager the two are the same.
    move(UsualPlace);
    resize(OuterSize);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    // The manual must not keep the program alive once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    m_memo->setObjectName("Memo1");
    m_memo->setGeometry(QRect(QPoint(0, 0), MemoSize));
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Narrow tab stops keep the numbers and dots of the manual close to their text.
    m_memo->setTabStopDistance(6 * m_memo->fontMetrics().averageCharWidth());
    m_memo->setPlainText(operatorManualText());

    m_closeButton->setObjectName("Button1");
    m_closeButton->setGeometry(345, 616, 113, 25);
    connect(m_closeButton, &QPushButton::clicked, this, &TForm2::Button1Click);
}

void TForm2::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_outerSizeFitted)
        return;
    m_outerSizeFitted = true;
    // Only at the first showing: later the operator's own resizing stands. On a small screen the
    // window moves toward its corner and, only if need be, gets smaller.
    const QRect frameNow = frameGeometry(), clientNow = geometry();
    const QMargins frame(clientNow.left() - frameNow.left(), clientNow.top() - frameNow.top(),
        frameNow.right() - clientNow.right(), frameNow.bottom() - clientNow.bottom());
    const QRect outer
        = FitOnScreen(OuterSize.shrunkBy(frame), frame, UsualPlace, AvailableScreenArea(*this));
    move(outer.topLeft());
    resize(outer.size().shrunkBy(frame));
}

void TForm2::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The text keeps its size where the window has room, else it gives way to the close button.
    constexpr int Gap = 15; // between the text and the button, and under the button at least
    const int button = m_closeButton->height() + 2 * Gap;
    m_memo->setGeometry(0, 0, std::min(MemoSize.width(), width()),
        std::clamp(height() - button, Gap, MemoSize.height()));
    m_closeButton->move(
        std::min(345, (width() - m_closeButton->width()) / 2), m_memo->height() + Gap);
}

void TForm2::showHelp()
{
    show();
    raise();
    activateWindow();
}

void TForm2::Button1Click()
{
    hide();
}

} // namespace varmet
