#pragma once

// The class record at the console: the menu "Класс" ("Подключение…", "Журнал класса",
// "Библиотека учений…"), the trainee asked when an exercise starts, each run kept from its start
// to its end (locally first, then on the class server), and in the status bar how many finished
// runs still wait for the server.

#include "store_connection.h"

#include "store/run_keeper.h"

#include <QObject>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QLabel;

namespace varmet {

class ClassWindow;
class TForm1;

class ClassDesk : public QObject
{
    Q_OBJECT
public:
    explicit ClassDesk(TForm1 &form);
    ~ClassDesk() override;

    // Who runs exercises here (remembered for the next start) and, for the report, named there.
    void setTrainee(const Trainee &trainee);
    const std::optional<Trainee> &trainee() const { return m_trainee; }

    // Whether runs are kept at all (the program keeps them; a driver or a test only once it names
    // a store), and whether now (a replay is no run).
    void setRecording(bool recording);
    bool recording() const { return m_recording; }
    std::function<bool()> recordingAllowed;
    // Asked of the operator; a driver answers these itself.
    std::function<std::optional<Trainee>(const std::optional<Trainee> &)> askTrainee;
    std::function<std::optional<QString>(const StoreAddress &)> askPassword;

    // Keeps runs in `address`: an SQLite file becomes the local store (no server), a PostgreSQL
    // database the class server (the local store its outbox). The reason when it cannot be used.
    std::optional<QString> useStore(const StoreAddress &address, const QString &password);

    RunKeeper &keeper() { return *m_keeper; }
    ClassWindow &window();

    void ConnectClick();
    void JournalClick();
    void LibraryClick();

private:
    void runStarted();
    void runEnded();
    // The class journal, while shown, follows the runs this console starts and ends.
    void refreshShownJournal();
    bool confirmTrainee();
    void setServer(const std::optional<StoreAddress> &server, const QString &password);
    // The server's password once a run of the program, when it is first needed.
    void askPasswordOnce();
    void sendWaiting();
    void showWaiting(int waiting, const std::optional<QString> &failure);
    void startFromLibrary(const LibraryExercise &exercise);

    TForm1 &m_form;
    std::unique_ptr<RunKeeper> m_keeper;
    std::unique_ptr<ClassWindow> m_window;
    std::optional<Trainee> m_trainee;
    bool m_recording = false;
    bool m_passwordAsked = false;
    std::optional<RunStart> m_running;
    QLabel *m_status = nullptr;
    QTimer m_retry;
    QTemporaryDir m_libraryFiles; // exercises started from the library
};

} // namespace varmet
