#pragma once
// The About box: the product line with the program's version. Typing the
// access code while it has the focus, or double-clicking the product line
// four times, opens the trace window and closes the box; any other non-digit
// key hides the trace window again. Modal; made for one use of the main
// window's About command, and closed as soon as another window is activated.

#include "devices/AboutDoor.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

// How the box reaches the trace window, which it neither owns nor knows.
struct TTraceDoor {
    std::function<void()> Show; // bring to the front, make visible, show
    std::function<void()> Hide; // hide it if it is shown
};

class TFrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFrmAbout(TTraceDoor trace, QWidget* parent = nullptr);

    // "PC Monitor Software Version <version>" in the current language.
    [[nodiscard]] static QString ProductLine();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void lblProductDblClick();
    void OpenTrace();

    TTraceDoor FTrace;
    TAboutDoor FDoor;
    bool FWasActive = false;
    QLabel* lblProduct = nullptr;
    QLabel* lblCount = nullptr;
    QPushButton* btnOK = nullptr;
};
