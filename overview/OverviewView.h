#pragma once
// The overview page: a tile for every unit of the device list, optionally
// only those that need attention, ordered by address, name or state. Enter
// or a double-click on a tile asks for that unit's own page. It reads the
// records when its owner refreshes it, on the thread that owns them; the
// owner refreshes it only while it is shown.

#include "overview/OverviewTile.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QListView;
class TOverviewModel;

class TOverviewView : public QWidget {
    Q_OBJECT
public:
    explicit TOverviewView(QWidget* parent = nullptr);

    // Captions and tile texts in this language (1 Chinese, else English).
    void ApplyLanguage(uint8_t language);
    // Reads every listed unit and updates the tiles; `now` is the bus health
    // clock's time.
    void Refresh(int64_t now);

    [[nodiscard]] TOverviewModel& Model() { return *FModel; }

signals:
    void UnitChosen(uint8_t address);

private:
    [[nodiscard]] TOverviewOrder Order() const;

    QCheckBox* chkAttention;
    QLabel* lblOrder;
    QComboBox* cbOrder;
    QListView* lvTiles;
    TOverviewModel* FModel;
    uint8_t FLanguage = 0;
    int64_t FLastNow = 0;
};
