// varmet-scenario: runs a scripted operator session against the real main window on Qt's
// offscreen platform and prints what it is asked to. Exit status 2 and "line N: WHAT" on standard
// error for a script it cannot run.

#include "console/app/program_windows.h"
#include "console/scripting/script_runner.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace varmet {
namespace {

void print(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

int runScript(QTextStream &script, ScriptRunner &runner)
{
    int lineNumber = 0;
    while (!script.atEnd()) {
        const QString line = script.readLine();
        ++lineNumber;
        try {
            runner.runLine(line);
        } catch (const std::exception &error) { // a ScriptError, or any fault a line met
            std::fflush(stdout);
            std::fprintf(stderr, "line %d: %s\n", lineNumber, error.what());
            return 2;
        }
        std::fflush(stdout);
    }
    return 0;
}

} // namespace
} // namespace varmet

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 2) {
        std::fprintf(stderr, "usage: varmet-scenario [SCRIPT]\n");
        return 2;
    }
    // The operator's desk settings (last folder, window place) of whoever runs the script must not
    // change what it shows, nor be changed by it.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    varmet::ProgramWindows windows;
    // The script ticks the timers' handlers itself.
    for (const char *name : {"Timer1", "Timer2"})
        windows.form.findChild<QTimer *>(QString::fromLatin1(name))->stop();
    windows.form.show(); // on the offscreen platform: nothing appears, but focus and keys work

    QFile file;
    if (argc == 2) {
        file.setFileName(QString::fromLocal8Bit(argv[1]));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            std::fprintf(stderr, "varmet-scenario: cannot read %s\n", argv[1]);
            return 2;
        }
    } else if (!file.open(stdin, QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "varmet-scenario: cannot read standard input\n");
        return 2;
    }
    QTextStream script(&file);
    varmet::ScriptRunner runner(windows, varmet::print);
    return varmet::runScript(script, runner);
}
