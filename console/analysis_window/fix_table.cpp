#include "fix_table.h"

#include "analysis_texts.h"

#include "model/number_text.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <cmath>
#include <optional>

namespace varmet {

namespace {

QString residualText(const std::optional<long double> &residual, FixKind kind)
{
    if (!residual)
        return {};
    return FixedText(*residual, 1) + (kind == FixKind::Bearing ? QStringLiteral("°") : QString());
}

// What the residual's text is made from (a tenth, rounded as the text rounds it): equal keys read
// alike, and comparing them spares formatting every residual every tick.
std::optional<long long> residualKey(const std::optional<long double> &residual)
{
    if (!residual)
        return std::nullopt;
    return std::llrint(*residual * 10);
}

} // namespace

bool FixTableModel::sameFix(const FixRow &a, const FixRow &b)
{
    return a.fix.Tick == b.fix.Tick && a.fix.Kind == b.fix.Kind && a.fix.Value == b.fix.Value
        && a.fix.Estimate == b.fix.Estimate && a.used == b.used;
}

bool FixTableModel::isPrefixOf(const std::vector<FixRow> &rows) const
{
    return m_rows.size() <= rows.size()
        && std::equal(m_rows.begin(), m_rows.end(), rows.begin(), &FixTableModel::sameFix);
}

void FixTableModel::setRows(std::vector<FixRow> rows)
{
    if (!isPrefixOf(rows)) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
        return;
    }
    // Only the rows whose residuals read differently are repainted.
    const std::size_t old = m_rows.size();
    std::optional<std::size_t> first;
    std::size_t last = 0;
    for (std::size_t i = 0; i < old; ++i) {
        if (residualKey(m_rows[i].trialResidual) == residualKey(rows[i].trialResidual)
            && residualKey(m_rows[i].fitResidual) == residualKey(rows[i].fitResidual))
            continue;
        first = first.value_or(i);
        last = i;
    }
    if (rows.size() > old) {
        beginInsertRows({}, static_cast<int>(old), static_cast<int>(rows.size()) - 1);
        m_rows = std::move(rows);
        endInsertRows();
    } else {
        m_rows = std::move(rows);
    }
    if (first)
        emit dataChanged(index(static_cast<int>(*first), TrialResidual),
            index(static_cast<int>(last), FitResidual), {Qt::DisplayRole});
}

int FixTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FixTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FixTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const FixRow &row = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::ForegroundRole && !row.used)
        return QBrush(QColor(140, 140, 140));
    if (role == Qt::CheckStateRole && index.column() == Estimate
        && row.fix.Kind == FixKind::Distance)
        return row.fix.Estimate ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const bool bearing = row.fix.Kind == FixKind::Bearing;
    switch (index.column()) {
    case Time:
        return TickTimeText(row.fix.Tick);
    case Value:
        return bearing
            ? QStringLiteral("П %1°").arg(QString::fromStdString(WholeText(row.fix.Value)))
            : QStringLiteral("Д %1 кбт").arg(QString::fromStdString(WholeText(row.fix.Value)));
    case TrialResidual:
        return residualText(row.trialResidual, row.fix.Kind);
    case FitResidual:
        return residualText(row.fitResidual, row.fix.Kind);
    case Estimate:
        return row.fix.Kind == FixKind::Distance && row.fix.Estimate ? QStringLiteral("оценка")
                                                                     : QString();
    default:
        return {};
    }
}

Qt::ItemFlags FixTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == Estimate && index.row() < rowCount()
        && m_rows[static_cast<std::size_t>(index.row())].fix.Kind == FixKind::Distance)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool FixTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !(flags(index) & Qt::ItemIsUserCheckable))
        return false;
    emit estimateToggled(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

QVariant FixTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Time:
        return QStringLiteral("Время");
    case Value:
        return QStringLiteral("Замер");
    // On two lines: five columns share the narrow list.
    case TrialResidual:
        return QStringLiteral("Невязка\nпробн.");
    case FitResidual:
        return QStringLiteral("Невязка\nрасч.");
    case Estimate:
        return QStringLiteral("Д оценка");
    default:
        return {};
    }
}

} // namespace varmet
