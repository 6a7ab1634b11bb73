#pragma once

// The exercises at the console: the menu "Учение" ("Начать…", "Итоги", "Завершить"), the sonar
// panel under the window's blocks with the latest report of each detected target, and the score
// window with its PDF report. While no exercise runs none of it shows and nothing changes.

#include "exercise/exercise.h"
#include "exercise/report.h"

#include <QImage>
#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QDockWidget;
class QLabel;
class QLineEdit;
class QTextBrowser;
class QWidget;

namespace varmet {

class TForm1;

class ExerciseDesk : public QObject
{
    Q_OBJECT
public:
    explicit ExerciseDesk(TForm1 &form);
    ~ExerciseDesk() override;

    // "Начать…": asks for the exercise file and starts it.
    void StartClick();
    // "Итоги": the score now (the final one after the end).
    void ScoreClick();
    // "Завершить": ends the exercise and shows its score.
    void StopClick();

    // Starts the exercise in `path` with the clock and slots back at the start; `seed` overrides
    // the file's. A refused file is shown to the operator and nothing starts.
    void Start(const QString &path, std::optional<std::uint64_t> seed);
    // After every tick of the main timer.
    void AfterTick();

    // The exercise started last, running or ended; none before the first.
    const Exercise *exercise() const { return m_exercise ? &*m_exercise : nullptr; }
    // The score now, with the chance of a hit where `hitProbability` gives one.
    ExerciseScore Score() const;

    // The chance that a salvo fired now at the slot's solution hits, from the bearing analysis;
    // unset, or nothing for a slot, when the analysis gives none.
    std::function<std::optional<long double>(int slot)> hitProbability;
    // The trainee's name, printed in the score and the report when given.
    void setTrainee(std::optional<QString> name) { m_trainee = std::move(name); }
    // Whether the score window shows the truth: after the end, or once the instructor's key opened
    // it for the running exercise.
    bool truthShown() const;
    // The score window's text as the operator reads it.
    QString ScoreText() const;

    // For sessions: the exercise's own state, and continuing one (the model's state, own ship's
    // track included, is restored apart). Resume returns false for a state that describes no run.
    std::optional<ExerciseState> SavedState() const;
    bool Resume(const ExerciseState &state);
    // Back to no exercise at all (a session without one, or start-up): panel and score hidden.
    void Clear();

    // Asked by "Начать…" before the file: false keeps the exercise from starting (the class
    // record asks who the trainee is here).
    std::function<bool()> beforeStart;

signals:
    // A new run has started; the run has ended (its final score is set).
    void runStarted();
    void runEnded();

private:
    // Starts the exercise (the plot replaced); the seed its sonar draws with, none: refused.
    std::optional<std::uint64_t> begin(const QString &path, std::optional<std::uint64_t> seed);
    void showPanel();
    void refreshPanel();
    void finish();
    void showScore();
    void saveReport();
    void openTruth();
    bool linearShown() const;

    TForm1 &m_form;
    std::optional<Exercise> m_exercise;
    QAction *m_startAction = nullptr;
    QAction *m_scoreAction = nullptr;
    QAction *m_stopAction = nullptr;
    QDockWidget *m_panel = nullptr;
    QLabel *m_status = nullptr;
    std::array<QLabel *, MaxExerciseTargets> m_reports {};
    QWidget *m_scoreWindow = nullptr;
    QTextBrowser *m_scoreText = nullptr;
    QLabel *m_scorePicture = nullptr;
    QLabel *m_pictureLegend = nullptr; // under the shrunk picture, which cannot carry it readably
    QWidget *m_keyRow = nullptr;
    QLineEdit *m_key = nullptr;
    ScorePage m_shownPage; // the score and picture the window shows, for the report
    QImage m_shownPicture;
    bool m_truthOpened = false; // by the instructor's key, for the running exercise
    std::optional<QString> m_trainee;
};

} // namespace varmet
