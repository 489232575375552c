#pragma once
// The user setting window: the operating parameters of the selected UPS as
// the poll engine last read them, read-only, refreshed every second while
// the window is up. "Set" leads through the password gate to the parameter
// dialog. The window is made once and then shown and hidden.

#include "control/ControlContext.h"

#include <QDialog>

#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

class TFrmUserSet : public QDialog {
    Q_OBJECT
public:
    explicit TFrmUserSet(TControlContext context, QWidget* parent = nullptr);

    [[nodiscard]] uint8_t SelAddr() const { return FSelAddr; }

public slots:
    // Every 1000 ms while the window is up; public so tests drive it.
    void Timer1Timer();
    void btnSetClick();
    void FormActivate();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void SetCaptions();
    void ShowValues();
    void ClearValues();
    [[nodiscard]] QGroupBox* BuildGroup(const char* name, int group);

    struct TFieldWidgets {
        QLabel* Label;
        QLineEdit* Edit;
    };

    TControlContext FContext;
    uint8_t FSelAddr = 0;
    std::vector<TFieldWidgets> FFields; // in the order of UserSetFields()
    QPushButton* btnSet = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QGroupBox* grpOutput = nullptr;
    QTimer* Timer1 = nullptr;
};
