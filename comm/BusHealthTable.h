#pragma once
// The trace window's list of the bus health figures, one row per address
// that is in the device list or was asked something, in address order; the
// bus cycle in its heading. English, as the rest of the trace window.

#include <QTableWidget>

#include <cstdint>
#include <vector>

class TBusHealthTable : public QTableWidget {
    Q_OBJECT
public:
    explicit TBusHealthTable(QWidget* parent);

    // Fills the rows from BusHealth; `now` is the engine's clock.
    void Refresh(int64_t now);
    // The addresses listed, in row order.
    [[nodiscard]] const std::vector<uint8_t>& Addresses() const { return FAddresses; }

private:
    void SetCell(int row, int column, const QString& text);

    std::vector<uint8_t> FAddresses;
};
