#pragma once
// The pictures of the main window's tool bar, drawn in code so that the
// executable needs no files beside it.

#include <QIcon>

enum class TToolIcon {
    SoftwareParameter, // tool button 1
    Chinese,           // tool button 2
    English,           // tool button 3
    EventLog,          // tool button 4
    DataLog,           // tool button 5
    About,             // tool button 6
    Exit,              // tool button 7
    LogSetting,        // tool button 8
    Overview,          // tool button 9
};

[[nodiscard]] QIcon ToolIcon(TToolIcon icon);
