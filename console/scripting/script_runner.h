#pragma once

// Runs the operator's script language (one command a line: ticks, steps, typed values, clicks,
// menu actions, and prints of what the window shows) against the real main window, through its
// controls and handlers only. The scenario driver, scripted tests and the replay of a journal
// share it. The runner answers message boxes and file dialogs itself: a message goes to the
// output as "message: TEXT", a file dialog gets the path the command names.

#include "program_windows.h"

#include "session/replay_files.h"

#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

namespace varmet {

// A script line that cannot be run; the message names what is wrong.
struct ScriptError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

// For a script from someone else (a journal replayed): where the files it names are written and
// read, and what leaving the program means. A path refused fails the line with the reason.
struct ScriptConfinement
{
    std::function<ConfinedPath(const QString &asked)> write;
    std::function<ConfinedPath(const QString &asked, ReplayFiles::Read kind)> read;
    std::function<void()> leave; // "menu MExit"
};

class ScriptRunner
{
public:
    using Output = std::function<void(const QString &line)>;

    // `output` receives every line the script prints.
    ScriptRunner(ProgramWindows &windows, Output output);
    ~ScriptRunner();
    ScriptRunner(const ScriptRunner &) = delete;
    ScriptRunner &operator=(const ScriptRunner &) = delete;

    // Runs one line; blank lines and comments ("#...") do nothing. Throws ScriptError.
    void runLine(const QString &line);

    // From now on every file the script names goes through `confinement`.
    void confine(ScriptConfinement confinement);

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace varmet
