#include "logviews/GridModel.h"

#include <QLocale>

#include <climits>

TGridModel::TGridModel(QObject* parent)
    : QAbstractTableModel(parent), FDecimalPoint(QLocale().decimalPoint().at(0)) {}

void TGridModel::SetSource(const TGridSource* source) {
    beginResetModel();
    FSource = source;
    endResetModel();
}

void TGridModel::Reload() {
    beginResetModel();
    endResetModel();
}

int TGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || FSource == nullptr)
        return 0;
    // A view counts rows in int: a file of more than two billion matching
    // samples shows its first ones.
    return int(std::min<int64_t>(FSource->RowCount(), INT_MAX));
}

int TGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || FSource == nullptr ? 0 : FSource->ColumnCount();
}

QVariant TGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || FSource == nullptr || !index.isValid())
        return {};
    QString text = QString::fromStdString(FSource->CellText(index.row(), index.column()));
    if (FDecimalPoint != QLatin1Char('.') && FSource->IsNumberColumn(index.column()))
        text.replace(QLatin1Char('.'), FDecimalPoint);
    return text;
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || FSource == nullptr ||
        section < 0 || section >= FSource->ColumnCount())
        return {};
    return QString::fromStdString(FSource->HeaderText(section));
}
