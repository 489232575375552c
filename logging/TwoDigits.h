#pragma once
// Two decimal digits at a time from one table: the time stamps of the logs
// and the cells of their CSV export write millions of numbers with it.

#include <cstddef>
#include <cstring>

inline constexpr char DigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233"
    "34353637383940414243444546474849505152535455565758596061626364656667"
    "6869707172737475767778798081828384858687888990919293949596979899";

// 0..99 as two digits, "07"; returns the end.
inline char* WriteTwoDigits(char* p, std::size_t value) {
    std::memcpy(p, DigitPairs + value * 2, 2);
    return p + 2;
}
