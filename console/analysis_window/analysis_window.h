#pragma once

// The bearing analysis window ("Анализ" → "Анализ пеленгов", F3): for the selected target, its
// fixes against the trial solution on a time–bearing chart with the residuals under it, the list
// of fixes, the trial solution's residual summary with a light, and the bearings-only solution
// ("Рассчитать") that "Применить" puts into the target's fields. Not modal; created hidden and
// kept until the program ends; while shown it follows every tick and every change of slot.

#include "analysis/bearing_analysis.h"
#include "analysis/hit_probability.h"
#include "analysis/steering_advice.h"
#include "desk/analysis_state.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class QPushButton;
class QTableView;

namespace varmet {

class BearingCharts;
class FixTableModel;
class TForm1;

class AnalysisWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AnalysisWindow(TForm1 &form, QWidget *parent = nullptr);
    ~AnalysisWindow() override;

    // The last "Рассчитать" of the selected slot, none before it and after its fixes were edited
    // here; it is marked out of date once the log or σ changes elsewhere.
    const FitResult *result() const;
    // Whether that result no longer describes the log and σ as they stand.
    bool resultOutOfDate() const;
    // The odds that a salvo fired at the computation's moment on the fit's solution hits; none
    // without a solution or a salvo.
    std::optional<long double> fitHitProbability() const;
    // The odds that a salvo fired now on slot `number`'s present solution hits, against the
    // slot's last computed fit; none without one or without a salvo. The score shows them.
    std::optional<long double> slotHitProbability(int number) const;

    // The operator's answer to "clear the log?"; by default a question box.
    std::function<bool(const QString &question)> confirm;

public slots:
    // Everything shown, for the selected slot as it stands now.
    void refresh();
    void solve(); // "Рассчитать"
    void newLeg(); // "Новый галс"
    void newLegAtManoeuvre(); // "Новый галс с …" at the manoeuvre the test placed
    void apply(); // "Применить"
    void deleteFix(); // the selected fix of the list (Delete)
    void clearLog(); // "Очистить журнал"

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::optional<int> slot() const;
    FixLog *log() const;
    const FitSolution *solution() const;
    // The desk's last fit of slot `number`.
    const std::optional<SlotFit> &fitOf(int number) const;
    FitInputs inputsNow() const;
    // The σ boxes show the desk's σ.
    void showSigmas();
    std::optional<long double> consoleHitProbability(const FitSolution &fit, int number) const;
    // The odds' settings for slot `number`: the exercise's length of the target it tracks, else
    // the default.
    HitOddsSettings oddsFor(int number) const;
    void showSolution();
    void showSnapshot(int number);
    void buildLayout();

    TForm1 &m_form;
    // The slot and the fit whose residuals the list holds, so that the next snapshot can keep them.
    struct ShownFit
    {
        int number = 0;
        TargetMotion motion;
    };
    std::optional<ShownFit> m_shownFit;
    bool showsFitOf(int number, const FitSolution *fit) const;

    BearingCharts &charts();

    QWidget *m_chartsPlace;
    BearingCharts *m_charts = nullptr; // made when first shown
    FixTableModel *m_fixModel;
    QTableView *m_fixTable;
    QLabel *m_caption;
    QLabel *m_light;
    QLabel *m_summary;
    QDoubleSpinBox *m_sigmaBearing;
    QDoubleSpinBox *m_sigmaDistance;
    QSpinBox *m_adviceMinutes;
    QPushButton *m_solve;
    QPushButton *m_newLeg;
    QPushButton *m_newLegAtManoeuvre;
    QPushButton *m_apply;
    QPushButton *m_deleteFix;
    QPushButton *m_clearLog;
    QLabel *m_solutionText;
    QLabel *m_warning;
    QLabel *m_advice;
    QLabel *m_hitOdds;
};

} // namespace varmet
