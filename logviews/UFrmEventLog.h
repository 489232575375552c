#pragma once
// The event viewer: the records of the live event log filtered by time (all,
// a year, a month, a day) and address, numbered newest = 1, sortable by any
// column, reloaded when new events were written, exported to CSV and cleared
// into a backup copy. Created once by the main window and kept; closing only
// hides it. Its refresh timer runs while it exists, hidden or not.

#include "logviews/EventLogTable.h"
#include "logviews/LogFilterControls.h"
#include "logviews/LogPrompts.h"

#include <QWidget>

#include <cstdint>

class QLabel;
class QPushButton;
class QTimer;
class TBackgroundWork;
class TEventLog;
class TLogGrid;
class TfrmProgress;

class TFrmEventLog : public QWidget {
    Q_OBJECT
public:
    TFrmEventLog(TEventLog& eventLog, TfrmProgress& progress, QWidget* parent = nullptr);
    ~TFrmEventLog() override;

    static constexpr int RefreshInterval = 2000; // ms

    // Shows the window in front: texts of the current language, today's date
    // in the spins, and a load. The first show centres it on centreOn.
    void ShowInFront(const QWidget* centreOn = nullptr);

    // The language changed while the window may be open: an open window
    // takes the new texts at once, its rows included, keeping the search the
    // user set; a hidden one takes them at its next show.
    void FollowLanguage();

    [[nodiscard]] const TEventLogTable& Table() const { return FTable; }
    [[nodiscard]] TLogGrid& Grid() { return *StringGrid1; }
    [[nodiscard]] uint8_t SortCol() const { return FSortCol; }
    [[nodiscard]] uint8_t SortDir() const { return FSortDir; }

    TLogPrompts Prompts = DialogLogPrompts();

public slots:
    // The refresh timer: reloads when the store says new events were written.
    void Timer1Timer();
    void btnSearchClick();
    void btnRefreshClick();
    void btnExportClick();
    void btnClearClick();
    // A header click: the sort column, or the other direction of it.
    void SortByColumn(int col);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void ApplyLanguage();
    void TimeModeChanged();
    [[nodiscard]] TEventFilter Filter() const;
    void Load();
    void ApplySort();

    TEventLog& FEventLog;
    TfrmProgress& FProgress;
    TBackgroundWork* FWork;
    TEventLogTable FTable;
    uint8_t FSortCol = 0;
    uint8_t FSortDir = 0; // 0 ascending, 1 descending
    int FSelRow = 0;      // data row last clicked, 1-based; 0 = none
    bool FPlaced = false; // moved to its first place

    TLogFilterControls FFilter; // time mode (rgTimeType), date, address
    QPushButton* btnSearch;
    QPushButton* btnRefresh;
    QPushButton* btnExport;
    QPushButton* btnClear;
    QLabel* lblSortDebug;
    TLogGrid* StringGrid1;
    QTimer* Timer1;
};
