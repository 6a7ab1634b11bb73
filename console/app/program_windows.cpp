#include "program_windows.h"

#include "exercise_desk.h"

#include <QApplication>
#include <QLibraryInfo>

#include <cfenv>

namespace varmet {

ProgramWindows::ToolkitSetup::ToolkitSetup()
{
    // Reals round to nearest with ties to even; faults of the arithmetic are reported by the
    // model's own checks rather than by traps.
    std::fesetround(FE_TONEAREST);

    QFont font(QStringLiteral("DejaVu Sans"), 8);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
    // The toolkit's own texts (dialog buttons, file dialog) in Russian.
    if (toolkitTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkitTexts);
}

ProgramWindows::ProgramWindows()
{
    form.setHelpWindow(&help);
    form.setAnalysisWindow(&analysis);
    // The score's odds of a hit come from the bearing analysis.
    form.exerciseDesk().hitProbability
        = [this](int slot) { return analysis.slotHitProbability(slot); };
    form.replayJournal = [this](const QString &path) {
        if (const auto refusal = replay.start(path, 1))
            form.showMessage(*refusal);
    };
    // A replayed run is no new run.
    classes.recordingAllowed = [this] { return !replay.isRunning(); };
}

} // namespace varmet
