#include "program_windows.h"

#include "store/run_store.h"
#include "store/schema.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <optional>

namespace {

// varmet --store-init postgresql://USER@HOST:PORT/DB: creates or brings up to date the class
// record's schema and roles on a server, as its administrator (password from PGPASSWORD).
int initStore(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const auto address = varmet::ParseStoreAddress(QCoreApplication::arguments().value(2));
    if (const auto *refusal = std::get_if<QString>(&address)) {
        std::fprintf(stderr, "varmet: %s\n", refusal->toLocal8Bit().constData());
        return 2;
    }
    auto opened = varmet::RunStore::Open(
        std::get<varmet::StoreAddress>(address), qEnvironmentVariable("PGPASSWORD"));
    if (const auto *failure = std::get_if<QString>(&opened)) {
        std::fprintf(stderr, "varmet: %s\n", failure->toLocal8Bit().constData());
        return 1;
    }
    std::printf("varmet: хранилище %s готово, схема версии %d\n",
        std::get<varmet::StoreAddress>(address).text().toLocal8Bit().constData(),
        varmet::StoreSchemaVersion);
    return 0;
}

// varmet [--replay FILE [--speed N]]: plays a journal back, N ticks a second (1 by default).
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
            if (!ok || options.speed < 1
                || options.speed > varmet::JournalReplay::MaxTicksPerSecond)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (options.replay.isEmpty() && options.speed != 1)
        return std::nullopt;
    return options;
}

void printLines(std::initializer_list<const char *> lines)
{
    for (const char *line : lines) {
        std::fputs(line, stderr);
        std::fputc('\n', stderr);
    }
}

// Without a window system the toolkit aborts with a message about platform plugins that tells an
// operator nothing; say what is missing instead, and fail with an ordinary exit status.
bool hasGraphicalSession()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

QtMessageHandler toolkitHandler = nullptr;

// While the application object connects to the display: a display that is named but cannot be
// reached (or a platform plugin that is missing) is fatal to the toolkit, which would abort.
void startupMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        if (toolkitHandler)
            toolkitHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    printLines({"varmet: не удалось подключиться к графическому сеансу, окно программы не может "
                "быть показано.",
        "varmet: cannot connect to the graphical session; the window cannot be shown."});
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--store-init") == 0)
        return initStore(argc, argv);
    if (!hasGraphicalSession()) {
        printLines({"varmet: нет графического сеанса (не заданы DISPLAY и WAYLAND_DISPLAY). "
                    "Запустите программу в графическом сеансе X11 или Wayland.",
            "varmet: no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set). "
            "Start the program in an X11 or Wayland session."});
        return EXIT_FAILURE;
    }
    toolkitHandler = qInstallMessageHandler(startupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(toolkitHandler);
    const auto options = ParseOptions(QApplication::arguments());
    if (!options) {
        std::fprintf(stderr,
            "usage: varmet [--replay FILE [--speed N]]  (N: 1..%d ticks a second)\n"
            "       varmet --store-init postgresql://USER@HOST:PORT/DB  (password: PGPASSWORD)\n",
            varmet::JournalReplay::MaxTicksPerSecond);
        return 2;
    }

    // Closing the main window ends the program, also while the help window is shown.
    varmet::ProgramWindows windows;
    windows.classes.setRecording(true);
    windows.form.show();
    if (!options->replay.isEmpty()) {
        if (const auto refusal = windows.replay.start(options->replay, options->speed))
            windows.form.showMessage(*refusal);
    }
    return QApplication::exec();
}
