#pragma once

// The program's windows as the program creates them: the toolkit set up for them (rounding,
// font, the toolkit's own texts in Russian), the main window, then the help window and the
// bearing analysis window, hidden until the operator asks for them. The program and the scenario
// driver both start this way.

#include "analysis_window.h"
#include "class_desk.h"
#include "journal_replay.h"
#include "situation_dock.h"
#include "time_control.h"
#include "ugredit.h"
#include "unit2.h"

#include <QTranslator>

namespace varmet {

class ProgramWindows
{
public:
    // Needs the application object.
    ProgramWindows();

    ProgramWindows(const ProgramWindows &) = delete;
    ProgramWindows &operator=(const ProgramWindows &) = delete;

private:
    struct ToolkitSetup
    {
        ToolkitSetup();
        QTranslator toolkitTexts;
    };
    ToolkitSetup m_setup; // before the windows, which use it

public:
    TForm1 form;
    TForm2 help;
    AnalysisWindow analysis {form};
    // The dock "Обстановка" and the control of time, rooms of their own over the main window.
    SituationDock situation {form};
    TimeControl time {form};
    // Plays journals back in the main window ("Воспроизвести журнал…", the --replay option).
    JournalReplay replay {*this};
    // The class record: the menu "Класс", the runs kept, the class journal.
    ClassDesk classes {form};
};

} // namespace varmet
