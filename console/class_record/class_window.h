#pragma once

// "Журнал класса": the stored runs in a table (filtered by trainee, group, exercise and date,
// sorted by any column), the selected trainee's progress over time, and for the selected run its
// replay from the journal, its report as PDF, and the table as CSV.

#include "store/run_keeper.h"

#include <QTemporaryDir>
#include <QUuid>
#include <QWidget>

#include <memory>
#include <optional>

class QChartView;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QSqlQueryModel;
class QTableView;

namespace varmet {

class RunsFilter;
class TForm1;

// The progress chart's axis of runs 1..last, labelled at `ticks` whole run numbers.
struct RunAxis
{
    int last = 2;
    int ticks = 2;
};
RunAxis RunAxisFor(std::size_t runs);

class ClassWindow : public QWidget
{
    Q_OBJECT
public:
    ClassWindow(TForm1 &form, RunKeeper &keeper);
    ~ClassWindow() override;

    // Lets go of the store before its connection changes, and takes the new one.
    void detach();
    void attach(RunKeeper &keeper);
    // Reads the runs again; the reason when the store cannot be read.
    std::optional<QString> refresh();

    // The runs the table shows, and the one selected.
    int shownRuns() const;
    std::optional<QUuid> selectedRun() const;
    void selectRow(int row);

    // What the buttons do, for the selected run or the whole table.
    std::optional<QString> exportCsv(const QString &path) const;
    std::optional<QString> saveReport(const QUuid &run, const QString &path);
    std::optional<QString> replay(const QUuid &run);

private:
    void buildFilters();
    void showProgress();
    void replayClick();
    void reportClick();
    void csvClick();
    RunStore *store();

    TForm1 &m_form;
    RunKeeper *m_keeper = nullptr;
    QSqlQueryModel *m_model = nullptr;
    RunsFilter *m_filter = nullptr;
    QTableView *m_table = nullptr;
    QLineEdit *m_trainee = nullptr;
    QLineEdit *m_group = nullptr;
    QLineEdit *m_exercise = nullptr;
    QCheckBox *m_byDate = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QChartView *m_chart = nullptr;
    QLabel *m_count = nullptr;
    std::unique_ptr<QTemporaryDir> m_replayFiles;
};

} // namespace varmet
