#include "dregmoor/ui/result_model.h"

#include "widgets/qt_text.h"

namespace ostrevin::dregmoor {

void ResultModel::setRows(std::vector<ResultRow> rows, const QIcon& icon) {
    beginResetModel();
    rows_ = std::move(rows);
    icon_ = icon;
    endResetModel();
}

int ResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
    const ResultRow& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        switch (index.column()) {
            case 0: return widgets::toQString(row.name);
            case 1: return widgets::toQString(row.folder);
            default: return widgets::toQString(row.sizeText());
        }
    }
    if (role == Qt::DecorationRole && index.column() == 0) return icon_;
    if (role == Qt::TextAlignmentRole && index.column() == 2)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const names[] = {"Filename", "Path", "Size"};
    return section >= 0 && section < 3 ? QVariant(names[section]) : QVariant();
}

}  // namespace ostrevin::dregmoor
