#pragma once
// The text of a logged event as the operator reads it, wherever it is shown
// or sent: the event viewer's grid, desktop notifications, the event command
// and MQTT.

#include "base/LangText.h"
#include "logging/uEventLogClass.h"

#include <cstdint>
#include <string>

// Event text of a cleared alarm: this prefix, then the alarm's text.
extern const TTextPair RecoverFromText;

// The event's text; empty when the record gives none (an unknown kind, a
// code without a text, a cleared alarm whose code has no text).
[[nodiscard]] std::string EventRowText(const TEventRec& rec, uint8_t language);
