#include "comm/LineEvents.h"

#include "comm/SPComm.h"

TLineEvents LineEventsBetween(const serial_icounter_struct& before,
                              const serial_icounter_struct& after) {
    TLineEvents events;
    const auto grew = [](int was, int is) { return was != is; };
    if (grew(before.buf_overrun, after.buf_overrun))
        events.Errors |= CommErrRxOver;
    if (grew(before.overrun, after.overrun))
        events.Errors |= CommErrOverrun;
    if (grew(before.parity, after.parity))
        events.Errors |= CommErrParity;
    if (grew(before.frame, after.frame))
        events.Errors |= CommErrFrame;
    if (grew(before.brk, after.brk))
        events.Errors |= CommErrBreak;
    if (grew(before.dcd, after.dcd))
        events.Modem |= CommModemCarrier;
    if (grew(before.rng, after.rng))
        events.Modem |= CommModemRing;
    return events;
}
