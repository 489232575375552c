#pragma once
// Line errors and modem-line changes from the driver's interrupt counters:
// what grew between two readings becomes the flags of notices 1026 and 1028.

#include <cstdint>
#include <linux/serial.h>

struct TLineEvents {
    uint32_t Errors = 0; // CommErr* flags
    uint32_t Modem = 0;  // CommModemCarrier | CommModemRing
};

[[nodiscard]] TLineEvents LineEventsBetween(const serial_icounter_struct& before,
                                            const serial_icounter_struct& after);
