#include "views/history_list_model.h"

#include <limits>

namespace nimbra {

HistoryListModel::HistoryListModel(const HistoryTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table) {}

void HistoryListModel::setRows(std::unique_ptr<HistoryPager> pager) {
    beginResetModel();
    m_pager = std::move(pager);
    endResetModel();
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_pager) {
        return 0;
    }
    // A view counts rows in int; more than two thousand million records are not shown.
    return static_cast<int>(
        std::min<std::int64_t>(m_pager->size(), std::numeric_limits<int>::max()));
}

int HistoryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kHistoryColumns;
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_pager) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const HistoryRecord* record = m_pager->record(index.row());
    if (record == nullptr) {
        return {};
    }
    return QString::fromStdString(m_table.cell(*record, index.row() + 1, index.column()));
}

QVariant HistoryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kHistoryColumns) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(m_table.headers()[static_cast<std::size_t>(section)]);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    }
    return {};
}

}  // namespace nimbra
