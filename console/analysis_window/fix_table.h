#pragma once

// The list of a target's fixes in the analysis window: operational time, the bearing or distance
// fixed, and its residual against the trial solution and against the fitted one. Fixes before
// the "Новый галс" mark, which the fit does not use, are greyed. A distance carries a check
// "оценка": checked, it is only a guess and stays out of the fit; the operator toggles it.

#include "analysis_snapshot.h"

#include <QAbstractTableModel>

#include <vector>

namespace varmet {

class FixTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Time, Value, TrialResidual, FitResidual, Estimate, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    // Takes the rows of a new snapshot: appended fixes are inserted, residuals updated in place,
    // anything else (a fix removed, another slot) resets the list.
    void setRows(std::vector<FixRow> rows);
    const std::vector<FixRow> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A check of "оценка" asks for the change; the log changes and the rows follow it.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

signals:
    void estimateToggled(int row, bool estimate);

private:
    static bool sameFix(const FixRow &a, const FixRow &b);
    bool isPrefixOf(const std::vector<FixRow> &rows) const;

    std::vector<FixRow> m_rows;
};

} // namespace varmet
