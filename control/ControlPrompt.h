#pragma once
// How the control windows tell the user something, and the key filter of
// their number entries.

#include "config/CurrentText.h"
#include "ui/TellUser.h"

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

// The unit a control window acts on, as the user knows it: its name in the
// device list and its bus address, "UPS 1 (address 1)".
[[nodiscard]] QString UnitCaption(uint8_t address);

// A window title naming the unit: "Battery Test - UPS 1 (address 1)".
[[nodiscard]] QString TitleForUnit(const TTextPair& caption, uint8_t address);

// Asks before something is done to real equipment: true for Yes. The box
// names what will happen; No is the default, and Escape answers No.
using TConfirmUser = std::function<bool(QWidget* parent, const QString& text)>;
[[nodiscard]] TConfirmUser MessageBoxConfirm();

// Lets digits (and with allowPoint ".") through, and the editing keys
// Backspace, Ctrl+C, Ctrl+V and Ctrl+X; every other typed character is
// dropped. Keys that type nothing (arrows, Delete, the other Ctrl chords)
// keep their use.
class TNumberKeyFilter : public QObject {
    Q_OBJECT
public:
    TNumberKeyFilter(bool allowPoint, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool FAllowPoint;
};
