// Session files: the reader, and the exercise an accepted session carries, resumed.

#include "fuzz_target.h"

#include "session/session_file.h"

#include <QByteArray>
#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The board's pictures are decoded by the toolkit's image readers.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    varmet::SessionData session;
    if (varmet::ReadSession(bytes, session))
        return 0;
    if (session.exercise) {
        if (auto exercise = varmet::Exercise::Resume(*session.exercise))
            exercise->LatestReports();
    }
    return 0;
}
