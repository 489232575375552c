#include "comm/BusHealthTable.h"

#include "comm/BusHealthText.h"
#include "record/EquipList.h"
#include "ui/GridKeys.h"

#include <QHeaderView>

#include <algorithm>

namespace {

constexpr uint8_t English = 0;

// Column headings; the first column is the address.
const char* const Headings[] = {"Address",  "Requests", "Good",      "Rejected",
                                "Reply ms", "Mean ms",  "Since good"};
constexpr int ColumnCount = int(std::size(Headings));

std::vector<uint8_t> ShownAddresses() {
    std::vector<bool> shown(BusHealth.Units.size(), false);
    for (int pos = 1; pos <= EquipList.Count; ++pos)
        shown[EquipList.At(pos).Address] = true;
    std::vector<uint8_t> addresses;
    for (std::size_t address = 1; address < shown.size(); ++address) {
        if (shown[address] || BusHealth.Units[address].Requests > 0)
            addresses.push_back(uint8_t(address));
    }
    return addresses;
}

QString Number(int64_t value) {
    return value < 0 ? QStringLiteral("-") : QString::number(value);
}

} // namespace

TBusHealthTable::TBusHealthTable(QWidget* parent) : QTableWidget(0, ColumnCount, parent) {
    setObjectName("grdBusHealth");
    QStringList headings;
    for (const char* heading : Headings)
        headings << QString::fromLatin1(heading);
    setHorizontalHeaderLabels(headings);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(18);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    LetTabLeaveGrid(this);
    setSelectionMode(QAbstractItemView::NoSelection);
}

void TBusHealthTable::SetCell(int row, int column, const QString& text) {
    QTableWidgetItem* cell = item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setItem(row, column, cell);
    }
    if (cell->text() != text) // refreshed every 100 ms: repaint only what changed
        cell->setText(text);
}

void TBusHealthTable::Refresh(int64_t now) {
    FAddresses = ShownAddresses();
    if (rowCount() != int(FAddresses.size()))
        setRowCount(int(FAddresses.size()));
    for (int row = 0; row < int(FAddresses.size()); ++row) {
        const TUnitHealth& unit = BusHealth.Units[FAddresses[std::size_t(row)]];
        SetCell(row, 0, QString::number(FAddresses[std::size_t(row)]));
        SetCell(row, 1, QString::number(unit.Requests));
        SetCell(row, 2, QString::number(unit.GoodReplies));
        SetCell(row, 3, QString::fromStdString(RejectsText(unit, English)));
        SetCell(row, 4, Number(unit.LastReplyMs));
        SetCell(row, 5, Number(unit.MeanReplyMs()));
        SetCell(row, 6, QString::fromStdString(SinceGoodText(unit, now, English)));
    }
}
