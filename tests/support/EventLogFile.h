#pragma once
// The whole records of an event log file, decoded, for tests that check what
// was logged. A missing file or a torn last record gives what is whole.

#include "logging/uEventLogClass.h"
#include "tests/support/TempFolder.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

inline std::vector<TEventRec> ReadEventRecords(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    std::vector<TEventRec> events;
    for (std::size_t at = 0; at + EventRecSize <= bytes.size(); at += EventRecSize) {
        TEventRecBytes raw;
        std::copy_n(bytes.begin() + std::ptrdiff_t(at), EventRecSize, raw.begin());
        events.push_back(DecodeEventRec(raw));
    }
    return events;
}
