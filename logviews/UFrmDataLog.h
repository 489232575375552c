#pragma once
// The data viewer: the samples of one month file in fifteen columns, by month
// or by day and optionally one address, sortable by any column, exported to
// CSV; its buttons open the log settings and the month deletion dialog.
// Created for one use and shown modally. Loading and sorting a large month
// run on a worker with a progress bar and a cancel button under the grid.

#include "logviews/DataLogTable.h"
#include "logviews/LogFilterControls.h"
#include "logviews/LogPrompts.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class TBackgroundWork;
class TLogGrid;
class TfrmProgress;
class TFrmDataChart;

class TFrmDataLog : public QDialog {
    Q_OBJECT
public:
    // restartSampling: what the settings dialog calls after OK, so the next
    // poll tick samples.
    TFrmDataLog(TfrmProgress& progress, std::function<void()> restartSampling,
                QWidget* parent = nullptr);
    ~TFrmDataLog() override;

    [[nodiscard]] const TDataLogTable& Table() const { return *FTable; }
    [[nodiscard]] TLogGrid& Grid() { return *StringGrid1; }
    [[nodiscard]] uint8_t SortCol() const { return FSortCol; }
    [[nodiscard]] uint8_t SortDir() const { return FSortDir; }
    [[nodiscard]] TRecFilter Filter() const;

    TLogPrompts Prompts = DialogLogPrompts();
    // The two dialogs behind the buttons; tests put their own in.
    std::function<void(QWidget*)> RunLogSetting;
    std::function<void(QWidget*)> RunDeleteMonth;
    // Shows the chart window built over the loaded month; tests look at it
    // in place of the modal run.
    std::function<void(TFrmDataChart&)> RunChart;

public slots:
    void btnSearchClick(); // also the refresh button, and after a deletion
    void btnExportClick();
    void btnSetClick();
    void btnDelClick();
    // Charts the loaded month: the address of the filter, or the first
    // eight units, in the grid's current column when it is a measured one.
    void btnChartClick();
    void SortByColumn(int col);
    // Drops a month that shrank under the grid and offers to read it again;
    // duringExport says the file just written is incomplete. Runs every
    // second while no work is running, and after each export.
    void CheckMonthFile(bool duringExport = false);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void BuildControls();
    void ApplyLanguage();
    void ModeChanged();
    void Load();
    void SetBusy(bool busy, const TTextPair& what);
    void ShowWorkProgress(int64_t position, int64_t maximum);
    // Closes the window when the user asked for it while work was running.
    void CloseIfAsked();

    std::function<void()> FRestartSampling;
    TfrmProgress& FProgress;
    TBackgroundWork* FWork;
    std::unique_ptr<TDataLogTable> FTable;
    uint8_t FSortCol = 0;
    uint8_t FSortDir = 0;
    bool FCloseWhenIdle = false;
    bool FLoadPending = false; // the load that follows the show is still to come
    bool FChartOpen = false;   // the chart reads the table: it is not replaced meanwhile

    QWidget* FControls;         // everything a running job must not be disturbed by
    TLogFilterControls FFilter; // search type (rgSearchType), date, address
    QPushButton* btnSearch;
    QPushButton* btnRefresh;
    QPushButton* btnSet;
    QPushButton* btnExport;
    QPushButton* btnDel;
    QPushButton* btnChart;
    QLabel* lblSortDebug;
    TLogGrid* StringGrid1;
    QLabel* lblWork;
    QProgressBar* pbWork;
    QPushButton* btnCancelWork;
};
