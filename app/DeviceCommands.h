#pragma once
// The main window's device management commands: the left panel's search,
// append and property buttons, and the About menu entry with its tool
// button. Each makes its modal window for one use.

#include "devices/UFrmAbout.h"

#include <QObject>

class QMainWindow;
class TDeviceTree;

class TDeviceCommands : public QObject {
    Q_OBJECT
public:
    // Connects the commands of `window` by their object names.
    TDeviceCommands(QMainWindow* window, TDeviceTree& tree);

    // The About box's way to the trace window, which the main window does
    // not own; set by the program entry once both windows exist.
    void SetTraceDoor(TTraceDoor door) { FTraceDoor = std::move(door); }

    void btnSearchClick();
    void btnAppendClick();
    // Only while a tree node is selected.
    void btnPropertyClick();
    void mni501Click();

private:
    QMainWindow* FWindow;
    TDeviceTree& FTree;
    TTraceDoor FTraceDoor;
};
