// Journals and scripts: each line through the script runner, as a replay runs it, on the real
// main window (offscreen), from start-up for every input. A line the runner refuses is the
// journal's error and ends the input; anything else escaping is a fault.
//
// Two limits of the harness, not of the program: a line with a "/" is skipped, so that whatever a
// line writes stays in the scratch folder the target works in; and counts above 100 are skipped,
// since a count is work asked for on purpose (a replay bounds its journal's total).

#include "fuzz_target.h"

#include "console/app/program_windows.h"
#include "console/scripting/script_runner.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>

namespace {

// The application and its windows live until the process ends (never destroyed: libFuzzer ends
// the process from anywhere).
struct Program
{
    Program(int &argc, char **argv)
        : application(argc, argv)
    { }
    QApplication application;
    varmet::ProgramWindows windows;
    varmet::ScriptRunner runner {windows, [](const QString &) {}};
};
Program *program = nullptr;

bool Skipped(const QString &line)
{
    if (line.contains(QLatin1Char('/')))
        return true;
    const QStringList words
        = line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    static const QStringList counted {"tick", "holdtick", "repeat", "step"};
    if (words.size() < 2 || !counted.contains(words.front()))
        return false;
    bool number = false;
    const qlonglong count = words.back().toLongLong(&number);
    return number && count > 100;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings, pictures and sessions the lines write go to a scratch folder of this run.
    static QTemporaryDir scratch;
    if (!scratch.isValid() || !QDir::setCurrent(scratch.path()))
        std::abort();
    for (const char *variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, scratch.path().toLocal8Bit());
    program = new Program(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    varmet::TForm1 &form = program->windows.form;
    form.resetToStartUp();
    for (QTimer *timer : form.findChildren<QTimer *>())
        timer->stop();
    form.show();
    const QString text
        = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (Skipped(line))
            continue;
        try {
            program->runner.runLine(line);
        } catch (const varmet::ScriptError &) {
            break;
        }
    }
    return 0;
}
