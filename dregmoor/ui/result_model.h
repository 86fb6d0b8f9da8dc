// The found files as the result list shows them: Filename, Path and Size, in the order found, each
// with the icon of the cleaning choice made when it was found. A model rather than one widget
// item per row, so that a scan of a whole disk lists its rows without stalling the window.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <vector>

#include "dregmoor/engine/scan_result.h"

namespace ostrevin::dregmoor {

class ResultModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

    const std::vector<ResultRow>& rows() const { return rows_; }
    // Replaces every row. Every row of one scan carries the icon of the cleaning choice made when
    // the scan ran; rows left after a cleaning keep it.
    void setRows(std::vector<ResultRow> rows, const QIcon& icon);
    void keepRows(std::vector<ResultRow> rows) { setRows(std::move(rows), icon_); }
    void clear() { setRows({}, icon_); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<ResultRow> rows_;
    QIcon icon_;
};

}  // namespace ostrevin::dregmoor
