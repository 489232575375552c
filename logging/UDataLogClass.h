#pragma once
// The data log: one headerless file of 128-byte records per calendar month,
// Record/DataLog<yyyy>_<mm>.dat. Nothing is cached: each append opens, writes
// and closes the month file of the record's own time stamp.

#include "record/UpsInfoRec.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

constexpr std::size_t DataRecSize = 128;

struct TDataRec {
    double Time = 0;        // days since 1899-12-30, local time
    uint8_t Address = 0;    // bus address
    TMeasureBlock Values{}; // the device record's measurement block, unchanged
};

using TDataRecBytes = std::array<uint8_t, DataRecSize>;
// Reserved bytes 9..15 are written as 0 and never read.
TDataRecBytes EncodeDataRec(const TDataRec& rec);
TDataRec DecodeDataRec(const TDataRecBytes& bytes);

// A sample of one device record taken at `time`.
TDataRec MakeDataRec(const TUpsInfoRec& ups, uint8_t address, double time);

// "DataLog2008_12.dat": the bare month file name of a time stamp.
std::string DataLogFileName(double time);

class TDataLog {
public:
    explicit TDataLog(std::string folder); // RecordPath(), ending with '/'

    const std::string& FolderPath() const { return FFolderPath; }
    // FolderPath() + DataLogFileName(time)
    std::string MonthFilePath(double time) const;

    // Appends at the end of the month file of rec.Time (over a partial
    // tail), creating the folder and the file when missing. Never throws;
    // false when the record was not written.
    bool Append(const TDataRec& rec);

    // Whole records in the file; creates it empty when missing. Throws
    // std::runtime_error when it cannot be created or read.
    [[nodiscard]] int RecordCount(const std::string& fullFileName);

private:
    std::string FFolderPath;
};
