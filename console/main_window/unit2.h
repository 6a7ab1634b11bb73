#pragma once

// The help window: the operator's manual in an editable, scrollable text and a button that
// closes it. It is created hidden at start-up and lives until the program ends; hiding it keeps
// the operator's edits and the scroll position for the next showing.

#include <QPoint>
#include <QSize>
#include <QWidget>

class QPlainTextEdit;
class QShowEvent;
class QPushButton;

namespace varmet {

class TForm2 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    QPlainTextEdit *Memo1() const { return m_memo; }
    QPushButton *Button1() const { return m_closeButton; }

public slots:
    // The "Справка" menu item: shows the window, or brings it to the front when it is shown.
    // Not modal: the main window stays usable.
    void showHelp();
    // "Закрытие справки": hides the window; the text and its scroll position stay.
    void Button1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    static constexpr QSize OuterSize {819, 686};
    static constexpr QSize MemoSize {809, 601};
    static constexpr QPoint UsualPlace {172, 31};

    QPlainTextEdit *m_memo;
    QPushButton *m_closeButton;
    bool m_outerSizeFitted = false;
};

} // namespace varmet
