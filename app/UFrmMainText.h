#pragma once
// The main window's texts in both languages. ApplyLanguage sets the caption
// table on the main window, the real-time and graph pages included.

#include "app/CaptionRows.h"
#include "base/LangText.h"

#include <span>

// Shown on the task bar and naming the single running instance; the same in
// both languages.
inline constexpr const char* ApplicationTitle = "Pelmora Desk";

[[nodiscard]] std::span<const TCaptionRow> MainCaptionTable();

// Captions of the two child nodes under every device node of the tree.
extern const TTextPair TreeChildCaptionTexts[2];

// The status bar's version panel: this word, then the version.
extern const TTextPair VersionCaption;
// What each status bar panel tells, for screen readers.
extern const TTextPair StatusPanelNames[4];

// Messages of the main window, chosen when shown.
extern const TTextPair MsgExitQuestion;
extern const TTextPair MsgDeviceNotCommunicating;
// Asked before the Delete button removes a device: %1 its name, %2 its address.
extern const TTextPair MsgDeleteQuestion;
// Title of the program's questions.
extern const TTextPair MsgConfirmTitle;
// The device list held records it could not take: %1 their number, %2 the file.
extern const TTextPair MsgTreeFileSkipped;
