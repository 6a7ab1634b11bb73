#include "program_windows.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Closing the main window ends the program, also while the help window is shown.
    varmet::ProgramWindows windows;
    windows.form.show();
    return QApplication::exec();
}
