#pragma once

// The bearing analysis window ("Анализ" → "Анализ пеленгов", F3): for the selected target, its
// fixes against the trial solution on a time–bearing chart with the residuals under it, the list
// of fixes, the trial solution's residual summary with a light, and the bearings-only solution
// ("Рассчитать") that "Применить" puts into the target's fields. Not modal; created hidden and
// kept until the program ends; while shown it follows every tick and every change of slot.

#include "analysis/bearing_analysis.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QDoubleSpinBox;
class QLabel;
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

    // The last "Рассчитать" of the selected slot, none before it and after its fixes changed.
    const FitResult *result() const;

    // The operator's answer to "clear the log?"; by default a question box.
    std::function<bool(const QString &question)> confirm;

public slots:
    // Everything shown, for the selected slot as it stands now.
    void refresh();
    void solve(); // "Рассчитать"
    void newLeg(); // "Новый галс"
    void apply(); // "Применить"
    void deleteFix(); // the selected fix of the list (Delete)
    void clearLog(); // "Очистить журнал"

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::optional<int> slot() const;
    FixLog *log() const;
    const FitSolution *solution() const;
    void forgetFit();
    void showSolution();
    void showSnapshot(int number);
    void buildLayout();

    TForm1 &m_form;

    BearingCharts *m_charts;
    FixTableModel *m_fixModel;
    QTableView *m_fixTable;
    QLabel *m_caption;
    QLabel *m_light;
    QLabel *m_summary;
    QDoubleSpinBox *m_sigmaBearing;
    QDoubleSpinBox *m_sigmaDistance;
    QPushButton *m_solve;
    QPushButton *m_newLeg;
    QPushButton *m_apply;
    QPushButton *m_deleteFix;
    QPushButton *m_clearLog;
    QLabel *m_solutionText;
    QLabel *m_warning;
};

} // namespace varmet
