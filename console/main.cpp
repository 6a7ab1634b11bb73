#include "program_windows.h"

#include <QApplication>

#include <cstdio>

namespace {

// varmet [--replay FILE [--speed N]]: N ticks per second, 1 by default.
struct Options
{
    QString replay;
    int speed = 1;
};

std::optional<Options> ParseOptions(const QStringList &arguments)
{
    Options options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &word = arguments[i];
        if (word == QLatin1String("--replay") && i + 1 < arguments.size()) {
            options.replay = arguments[++i];
        } else if (word == QLatin1String("--speed") && i + 1 < arguments.size()) {
            bool ok = false;
            options.speed = arguments[++i].toInt(&ok);
            if (!ok || options.speed < 1 || options.speed > varmet::JournalReplay::MaxTicksPerSecond)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (options.replay.isEmpty() && options.speed != 1)
        return std::nullopt;
    return options;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const auto options = ParseOptions(QApplication::arguments());
    if (!options) {
        std::fprintf(stderr, "usage: varmet [--replay FILE [--speed N]]  (N: 1..%d ticks a second)\n",
            varmet::JournalReplay::MaxTicksPerSecond);
        return 2;
    }
    // Closing the main window ends the program, also while the help window is shown.
    varmet::ProgramWindows windows;
    windows.form.show();
    if (!options->replay.isEmpty()) {
        if (const auto refusal = windows.replay.start(options->replay, options->speed))
            windows.form.showMessage(*refusal);
    }
    return QApplication::exec();
}
