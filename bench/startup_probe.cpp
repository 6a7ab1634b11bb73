// A program that starts, shows its main window and ends the moment that window has been painted
// for the first time: built as a bare Qt main window (without and with text) and as this program's
// windows, so that a benchmark can time the whole start of each process as an operator waits for
// it.

#ifdef VARMET_PROBE_PROGRAM
#include "console/app/program_windows.h"
#endif

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

#include <cstdlib>

namespace {

// Ends the process once the first paint of the watched window is over.
class FirstPaintEnds : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, [] { std::_Exit(EXIT_SUCCESS); });
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FirstPaintEnds ends;
#ifdef VARMET_PROBE_PROGRAM
    varmet::ProgramWindows windows;
    windows.classes.setRecording(true);
    QWidget &window = windows.form;
#else
    QMainWindow bare;
    bare.resize(1024, 700);
#ifdef VARMET_PROBE_TEXT
    // The same bare window with one menu and one line of text: the fonts' start is in it.
    bare.menuBar()->addMenu(QStringLiteral("Файл"));
    bare.setCentralWidget(new QLabel(QStringLiteral("Вармет")));
#endif
    QWidget &window = bare;
#endif
    window.installEventFilter(&ends);
    window.show();
    return QApplication::exec();
}
