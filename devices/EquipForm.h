#pragma once
// The controls the add and property dialogs share: a name row, an address
// row and two buttons, laid out the same way in both, with their common texts.

#include "base/LangText.h"
#include "devices/EquipCheck.h"

#include <QString>

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

struct TEquipForm {
    QLabel* lblName = nullptr;
    QLineEdit* edtName = nullptr;
    QLabel* lblAddress = nullptr;
    QWidget* Address = nullptr; // the dialog's own address control
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // Builds the rows into `dialog` around `address`; Cancel closes it.
    TEquipForm(QDialog* dialog, QWidget* address);
    // Labels and buttons in the current language; `ok` is the OK button's text.
    void ApplyLanguage(const TTextPair& ok);
};

// The message for a failed check; `nameEmpty` is the dialog's own text for
// an empty name (the two dialogs word it differently).
[[nodiscard]] QString EquipCheckMessage(TEquipCheck check, const TTextPair& nameEmpty);
