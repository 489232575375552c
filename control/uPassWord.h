#pragma once
// The password gate before every function that changes a UPS. The password
// is the model name: the gate accepts the known model names and makes what
// was typed the program-wide ModelName. Three refused entries close it as
// cancelled; the caller goes on only when it closes with OK.

#include "control/ControlPrompt.h"
#include "control/PasswordCheck.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

class TfrmPSW : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPSW(QWidget* parent = nullptr);

    // The refusal message; a warning with OK unless a test puts its own.
    TTellUser Tell;
    // The unit the function behind the gate acts on, named in the title.
    uint8_t Unit = 0;

public slots:
    void btnOKClick();
    void btnCancleClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    TPasswordCheck FCheck;
    QLineEdit* edtPSW = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancle = nullptr;
};

// A control dialog, made for this use only, after the gate closed with OK.
template <typename TDialog, typename TContext>
void RunBehindPasswordGate(const TContext& context, QWidget* parent) {
    TfrmPSW gate(parent);
    gate.Unit = context.SelDevAddr();
    if (gate.exec() != QDialog::Accepted)
        return;
    TDialog dialog(context, parent);
    dialog.exec();
}
