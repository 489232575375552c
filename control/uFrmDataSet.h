#pragma once
// The parameter dialog: one operating parameter of the selected UPS at a
// time. Selecting an item shows the device's current value with the values
// allowed for the model typed at the password gate; "Set" checks the entry
// and queues a single-register write for the poll engine. A device that is
// not communicating shows no value, so nothing can be set for it.

#include "control/ControlContext.h"
#include "control/ControlPrompt.h"
#include "control/ParamItems.h"
#include "record/UpsInfoRec.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class TFrmDataSet : public QDialog {
    Q_OBJECT
public:
    // Builds the item list for the ModelName of this moment.
    explicit TFrmDataSet(TControlContext context, QWidget* parent = nullptr);

    TTellUser Tell = MessageBoxTell();

    [[nodiscard]] int SelItem() const { return FSelItem; }
    [[nodiscard]] uint16_t SelRegister() const { return FSelRegister; }

public slots:
    void ListBox1Click();
    void btnSetToClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetCaptions();
    void ShowEditor(TEditorKind kind);
    void ShowItem();
    [[nodiscard]] bool ValidateItem();
    void QueueItem();

    TControlContext FContext;
    int FSelItem = -1;         // index of the selected item; -1 none
    uint16_t FSelRegister = 0; // holding register of the item shown
    uint16_t FSetValue = 0;    // the value of the last successful check
    uint8_t FShownAddr = 0;    // the device whose values are shown
    TUpsInfoRec FShown;        // its record as it was when the item was selected
    std::vector<TValueChoice> FChoices;

    QLabel* Label1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QGroupBox* grpSetting = nullptr;
    QLabel* lb_Value = nullptr;
    QLineEdit* Edit1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* btnSetTo = nullptr;
    QGroupBox* RadioGroup4 = nullptr;
    QGroupBox* RadioGroup5 = nullptr;
    QRadioButton* FBuzzer[2] = {}; // Enable, Disable
    QRadioButton* FBoost[2] = {};  // Enable, Disable
};
