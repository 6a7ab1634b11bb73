#include "class_desk.h"

#include "class_window.h"
#include "exercise_desk.h"
#include "ugredit.h"

#include "session/session_file.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

namespace varmet {

namespace {

const QString ExerciseFilter = QStringLiteral("Учения (*.json);;Все файлы (*)");
constexpr int RetryMilliseconds = 30000;

QString traineeText(const Trainee &t)
{
    return t.Group.isEmpty() ? t.Name : QStringLiteral("%1 (группа %2)").arg(t.Name, t.Group);
}

} // namespace

ClassDesk::ClassDesk(TForm1 &form)
    : QObject(&form)
    , m_form(form)
    , m_keeper(std::make_unique<RunKeeper>(ClassSettings::localStore()))
    , m_trainee(ClassSettings::trainee())
{
    askTrainee
        = [this](const std::optional<Trainee> &current) { return AskTrainee(&m_form, current); };
    askPassword = [this](const StoreAddress &server) { return AskPassword(&m_form, server); };
    if (auto server = ClassSettings::server())
        m_keeper->setServer(server); // its password is asked when first needed

    // The menu stands before "Справка", after "Учение".
    QMenu *menu = form.addRoomMenu(QStringLiteral("&Класс"), "MClass");
    const auto item = [&](const char *name, const QString &title, void (ClassDesk::*handler)()) {
        QAction *action = menu->addAction(title);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
    };
    item("MClassConnect", QStringLiteral("&Подключение…"), &ClassDesk::ConnectClick);
    item("MClassJournal", QStringLiteral("&Журнал класса"), &ClassDesk::JournalClick);
    item("MClassLibrary", QStringLiteral("&Библиотека учений…"), &ClassDesk::LibraryClick);

    ExerciseDesk &desk = form.exerciseDesk();
    desk.beforeStart = [this] { return confirmTrainee(); };
    connect(&desk, &ExerciseDesk::runStarted, this, &ClassDesk::runStarted);
    connect(&desk, &ExerciseDesk::runEnded, this, &ClassDesk::runEnded);
    m_retry.setInterval(RetryMilliseconds);
    connect(&m_retry, &QTimer::timeout, this, &ClassDesk::sendWaiting);
}

ClassDesk::~ClassDesk()
{
    // The window's table reads through the keeper's connections: it goes first.
    m_window.reset();
}

void ClassDesk::setRecording(bool recording)
{
    m_recording = recording;
    // The trainee remembered from the last time is named in the score only where runs are kept.
    if (recording && m_trainee)
        m_form.exerciseDesk().setTrainee(traineeText(*m_trainee));
}

void ClassDesk::setTrainee(const Trainee &trainee)
{
    m_trainee = trainee;
    ClassSettings::keepTrainee(trainee);
    m_form.exerciseDesk().setTrainee(traineeText(trainee));
}

bool ClassDesk::confirmTrainee()
{
    if (!m_recording)
        return true;
    const std::optional<Trainee> answer = askTrainee(m_trainee);
    if (!answer)
        return false;
    setTrainee(*answer);
    return true;
}

ClassWindow &ClassDesk::window()
{
    // Made when first shown: until then the main window has nothing more to carry.
    if (!m_window)
        m_window = std::make_unique<ClassWindow>(m_form, *m_keeper);
    return *m_window;
}

std::optional<QString> ClassDesk::useStore(const StoreAddress &address, const QString &password)
{
    if (m_window)
        m_window->detach();
    if (address.isPostgres()) {
        m_keeper = std::make_unique<RunKeeper>(ClassSettings::localStore());
        m_keeper->setServer(address, password);
        m_passwordAsked = true;
    } else {
        m_keeper = std::make_unique<RunKeeper>(address);
    }
    if (m_window)
        m_window->attach(*m_keeper);
    setRecording(true);
    auto store = m_keeper->journalStore();
    if (const auto *failure = std::get_if<QString>(&store))
        return *failure;
    return std::nullopt;
}

void ClassDesk::setServer(const std::optional<StoreAddress> &server, const QString &password)
{
    if (m_window)
        m_window->detach();
    m_keeper->setServer(server, password);
    if (m_window)
        m_window->attach(*m_keeper);
}

void ClassDesk::askPasswordOnce()
{
    if (m_passwordAsked || !m_keeper->server())
        return;
    m_passwordAsked = true;
    if (const std::optional<QString> password = askPassword(*m_keeper->server()))
        setServer(m_keeper->server(), *password);
}

void ClassDesk::runStarted()
{
    m_running.reset();
    if (!m_recording || (recordingAllowed && !recordingAllowed()))
        return;
    const Exercise *exercise = m_form.exerciseDesk().exercise();
    askPasswordOnce();
    RunStart start;
    start.Id = QUuid::createUuid();
    start.Who = m_trainee.value_or(Trainee {QStringLiteral("Без имени"), {}});
    start.ExerciseName = exercise->definition().Name;
    start.ExerciseSource = exercise->state().Source;
    start.Seed = exercise->state().Seed;
    start.Started = QDateTime::currentDateTimeUtc();
    m_running = start;
    if (auto failure = m_keeper->Started(start))
        m_form.showMessage(QStringLiteral("Журнал класса недоступен: %1").arg(*failure));
    else
        refreshShownJournal();
}

void ClassDesk::refreshShownJournal()
{
    // A failure to read is the window's to tell when the operator asks ("Обновить").
    if (m_window && m_window->isVisible())
        m_window->refresh();
}

void ClassDesk::runEnded()
{
    if (!m_running)
        return;
    const Exercise *exercise = m_form.exerciseDesk().exercise();
    const RunStart start = *m_running;
    m_running.reset();
    // A session opened since may have put another exercise in place of the one started: its end
    // is no end of this run.
    if (exercise->state().Source != start.ExerciseSource || exercise->state().Seed != start.Seed)
        return;
    RunRecord run;
    run.Start = start;
    run.Ended = QDateTime::currentDateTimeUtc();
    run.ScoreTime = exercise->state().Final->Time;
    run.Targets = StoredTargets(*exercise->state().Final);
    run.Journal = m_form.journal().text();
    run.Session = WriteSession(m_form.captureSession());
    if (auto failure = m_keeper->Finished(run)) {
        m_form.showMessage(
            QStringLiteral("Учение не сохранено в журнале класса: %1").arg(*failure));
        return;
    }
    refreshShownJournal();
    // Kept, and already offered to the server once.
    if (m_keeper->server())
        showWaiting(m_keeper->Waiting(), std::nullopt);
}

void ClassDesk::sendWaiting()
{
    if (!m_keeper->server()) {
        showWaiting(0, std::nullopt);
        return;
    }
    const RunKeeper::Sending sending = m_keeper->Send();
    showWaiting(sending.waiting, sending.failure);
}

void ClassDesk::showWaiting(int waiting, const std::optional<QString> &failure)
{
    if (waiting > 0)
        m_retry.start();
    else
        m_retry.stop();
    // The status bar appears only once there is something to say.
    if (!m_status && waiting == 0)
        return;
    if (!m_status) {
        m_status = new QLabel(&m_form);
        m_status->setObjectName("ClassRecordStatus");
        // The window grows by the bar, so that it hides nothing of the blocks above it.
        const int before = m_form.centralWidget()->height();
        m_form.statusBar()->addPermanentWidget(m_status);
        m_form.layout()->activate();
        const int taken = before - m_form.centralWidget()->height();
        m_form.resize(m_form.width(), m_form.height() + std::max(taken, 0));
    }
    m_status->setText(waiting > 0
            ? QStringLiteral("Ждут отправки на сервер класса: %1").arg(waiting)
            : QStringLiteral("Все учения на сервере класса"));
    m_status->setToolTip(failure.value_or(QString()));
}

void ClassDesk::ConnectClick()
{
    const std::optional<ConnectionChoice> choice = AskConnection(&m_form, m_keeper->server());
    if (!choice)
        return;
    ClassSettings::keepServer(choice->server);
    m_passwordAsked = true;
    setServer(choice->server, choice->password);
    if (choice->server) {
        auto store = m_keeper->journalStore();
        if (const auto *failure = std::get_if<QString>(&store))
            m_form.showMessage(
                QStringLiteral("Сервер класса пока недоступен; учения подождут на этом "
                               "компьютере.\n%1")
                    .arg(*failure));
    }
    sendWaiting();
}

void ClassDesk::JournalClick()
{
    askPasswordOnce();
    ClassWindow &shown = window();
    if (auto failure = shown.refresh())
        m_form.showMessage(*failure);
    shown.show();
    shown.raise();
}

void ClassDesk::LibraryClick()
{
    askPasswordOnce();
    auto store = m_keeper->journalStore();
    if (const auto *failure = std::get_if<QString>(&store)) {
        m_form.showMessage(*failure);
        return;
    }
    RunStore &runStore = *std::get<RunStore *>(store);
    QDialog dialog(&m_form);
    dialog.setObjectName("LibraryDialog");
    dialog.setWindowTitle(QStringLiteral("Библиотека учений"));
    dialog.resize(460, 360);
    auto *column = new QVBoxLayout(&dialog);
    auto *list = new QListWidget(&dialog);
    list->setObjectName("LibraryList");
    column->addWidget(list);
    std::vector<LibraryExercise> exercises;
    const auto fill = [&] {
        list->clear();
        auto library = runStore.Library();
        if (const auto *failure = std::get_if<QString>(&library)) {
            m_form.showMessage(*failure);
            return;
        }
        exercises = std::get<std::vector<LibraryExercise>>(library);
        for (const LibraryExercise &e : exercises)
            list->addItem(e.Name);
        list->setCurrentRow(0);
    };
    fill();
    auto *row = new QHBoxLayout;
    auto *start = new QPushButton(QStringLiteral("Начать"), &dialog);
    start->setObjectName("LibraryStart");
    auto *publish = new QPushButton(QStringLiteral("Опубликовать…"), &dialog);
    publish->setObjectName("LibraryPublish");
    publish->setToolTip(QStringLiteral("Для руководителя: учение из файла станет доступно классу"));
    auto *close = new QPushButton(QStringLiteral("Закрыть"), &dialog);
    row->addWidget(start);
    row->addWidget(publish);
    row->addStretch();
    row->addWidget(close);
    column->addLayout(row);
    connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
    connect(start, &QPushButton::clicked, &dialog, [&] {
        const int i = list->currentRow();
        if (i < 0 || i >= static_cast<int>(exercises.size()))
            return;
        dialog.accept();
        startFromLibrary(exercises[static_cast<std::size_t>(i)]);
    });
    connect(publish, &QPushButton::clicked, &dialog, [&] {
        const QString path
            = m_form.askFileName({TForm1::FileRequest::Kind::Open, ExerciseFilter, {}, {}, {}});
        if (path.isEmpty())
            return;
        QByteArray source;
        ExerciseParse parsed = ReadExerciseFile(path, &source);
        if (const auto *refusal = std::get_if<ExerciseRefusal>(&parsed)) {
            m_form.showMessage(refusal->Message);
            return;
        }
        if (auto failure = runStore.Publish(std::get<ExerciseDefinition>(parsed).Name, source))
            m_form.showMessage(QStringLiteral("Учение не опубликовано: %1").arg(*failure));
        fill();
    });
    dialog.exec();
}

void ClassDesk::startFromLibrary(const LibraryExercise &exercise)
{
    if (!confirmTrainee())
        return;
    const QString path = m_libraryFiles.filePath(exercise.Hash + QStringLiteral(".json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(exercise.Source) != exercise.Source.size()) {
        m_form.showMessage(
            QStringLiteral("Учение «%1» не записано во временный файл").arg(exercise.Name));
        return;
    }
    file.close();
    m_form.exerciseDesk().Start(path, std::nullopt);
}

} // namespace varmet
