#pragma once
// The tray's picture for the worst state of the line: the program's icon with
// a coloured disc in its corner (green normal, yellow alarm, orange on
// battery, red not communicating, grey port closed), so the state reads at
// tray size without a word.

#include "notify/BusSummary.h"

#include <QIcon>

[[nodiscard]] QIcon TrayPicture(TBusState state);
