#pragma once

#include <QAbstractTableModel>
#include <memory>

#include "report/history_pager.h"
#include "report/history_table.h"

namespace nimbra {

// The rows of the history window's list: the records of the last search, read through a
// pager as the view shows them and formatted cell by cell. Without a search it is empty.
class HistoryListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    HistoryListModel(const HistoryTable& table, QObject* parent = nullptr);

    // Shows the rows of `pager`; nothing shows an empty list.
    void setRows(std::unique_ptr<HistoryPager> pager);
    HistoryPager* pager() const { return m_pager.get(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const HistoryTable& m_table;
    std::unique_ptr<HistoryPager> m_pager;
};

}  // namespace nimbra
