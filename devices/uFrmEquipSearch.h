#pragma once
// The device search window: probes an address range on the bus through the
// poll engine, lists the addresses that answered, lets the user pick and
// name some or all of them and appends them to the device list. Modal; made
// for one use of the main window's search button.
//
// While open it is the poll engine's search window (SearchHooks); it cannot
// be closed while a search runs, and its end stops any search.

#include "devices/EquipSearch.h"
#include "ui/TellUser.h"

#include <QDialog>

#include <functional>

class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

class TFrmEquipSearch : public QDialog {
    Q_OBJECT
public:
    // `rebuildTree` rebuilds the device tree from the list after an Append.
    explicit TFrmEquipSearch(std::function<void()> rebuildTree, QWidget* parent = nullptr);
    ~TFrmEquipSearch() override;

    // The poll engine's calls, passed on to the search.
    uint8_t NextSearchAddress();
    void DeviceFound(uint8_t address);

    [[nodiscard]] const TEquipSearch& Search() const { return FSearch; }

    // Refuses to close while a search runs.
    void done(int result) override;

    TTellUser Tell = MessageBoxTell();

public slots:
    void btnSearchClick();
    void btnSelOneClick();
    void btnSelAllClick();
    void btnClearClick();
    void btnAppendClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ApplyLanguage();
    void UpdateControls();
    void ShowFound();
    void ShowRows();
    void ShowExisting(bool sorted);
    void SpinChanged();
    void RowEdited(int row, int column);
    void TellText(int message);

    TEquipSearch FSearch;
    std::function<void()> FRebuildTree;

    QGroupBox* gbSearch = nullptr;
    QGroupBox* gbRange = nullptr;
    QLabel* lblFrom = nullptr;
    QLabel* lblTo = nullptr;
    QSpinBox* seFrom = nullptr;
    QSpinBox* seTo = nullptr;
    QPushButton* btnSearch = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* lblFinish = nullptr;
    QGroupBox* gbSearched = nullptr;
    QListWidget* lbSearched = nullptr;
    QPushButton* btnSelOne = nullptr;
    QPushButton* btnSelAll = nullptr;
    QLabel* lblNameEdit = nullptr;
    QTableWidget* sgAppend = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnAppend = nullptr;
    QGroupBox* gbExisted = nullptr;
    QListWidget* lbExisted = nullptr;
};
