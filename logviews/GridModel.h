#pragma once
// A log grid's table as Qt's item model: cells are formatted when the view
// asks for them, so millions of rows cost nothing until they are scrolled to.
// Numbers show the locale's decimal point; the CSV keeps ".".

#include "logviews/GridSource.h"

#include <QAbstractTableModel>
#include <QChar>

class TGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TGridModel(QObject* parent = nullptr);

    // The table shown from now on (nullptr: none); it must outlive its showing.
    void SetSource(const TGridSource* source);
    // The table's rows or order changed in place.
    void Reload();
    [[nodiscard]] const TGridSource* Source() const { return FSource; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TGridSource* FSource = nullptr;
    QChar FDecimalPoint;
};
