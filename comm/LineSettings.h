#pragma once
// The component's line settings expressed as termios flags and modem-line
// requests, and their application to an open terminal.

#include "comm/CommTypes.h"

#include <termios.h>

// The B-constant for a baud rate, or B0 when the rate has none.
[[nodiscard]] speed_t StandardSpeed(uint32_t baud);

// One character's time on the line in microseconds, rounded up: start bit,
// data bits, parity bit when there is one, stop bits.
[[nodiscard]] uint32_t CharacterMicros(const TCommLineSettings& s);

// Puts the settings into t: raw binary mode, data bits, parity (mark and space
// through CMSPAR), stop bits, hardware and XON/XOFF flow control, the XON and
// XOFF characters, and reads that wait for at least one byte. Speed is set
// only when it has a B-constant. Settings this system has no equivalent for
// (DSR flow and sensitivity, XON/XOFF thresholds, TxContinueOnXoff) leave t alone.
void LineSettingsToTermios(const TCommLineSettings& s, termios& t);

// Reads the terminal's settings, replaces the ones above, writes them back,
// then sets a non-standard speed exactly and drives DTR and RTS. Steps the
// driver refuses are skipped (a pseudo-terminal has no modem lines); false
// when the terminal settings could not be read or written.
bool ApplyLineSettingsToPort(int fd, const TCommLineSettings& s);
