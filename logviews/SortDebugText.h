#pragma once
// The sort state as the viewers show it while the debug flag is on.

#include <QString>

#include <cstdint>

inline QString SortDebugText(uint8_t col, uint8_t dir) {
    return QStringLiteral("FSortCol:%1    FSortDir: %2").arg(col).arg(dir == 0 ? "ASC" : "DEC");
}
