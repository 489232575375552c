#pragma once
// How the control windows tell the user something, and the key filter of
// their number entries.

#include "config/CurrentText.h"
#include "ui/TellUser.h"

#include <QObject>
#include <QString>

#include <functional>

class QWidget;


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
