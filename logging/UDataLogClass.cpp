#include "logging/UDataLogClass.h"

#include "logging/RecordFile.h"
#include "logging/TimeStamp.h"
#include "base/LittleEndian.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace {
// Byte offsets in the 128-byte record; 9..15 are reserved.
constexpr std::size_t OffTime = 0, OffAddress = 8, OffValues = 16;
static_assert(OffValues + MeasureBlockSize == DataRecSize);
} // namespace

TDataRecBytes EncodeDataRec(const TDataRec& rec) {
    TDataRecBytes b{};
    le::PutF64(&b[OffTime], rec.Time);
    le::PutU8(&b[OffAddress], rec.Address);
    std::copy(rec.Values.begin(), rec.Values.end(), b.begin() + OffValues);
    return b;
}

TDataRec DecodeDataRec(const TDataRecBytes& b) {
    TDataRec rec;
    rec.Time = le::GetF64(&b[OffTime]);
    rec.Address = le::GetU8(&b[OffAddress]);
    std::copy(b.begin() + OffValues, b.end(), rec.Values.begin());
    return rec;
}

TDataRec MakeDataRec(const TUpsInfoRec& ups, uint8_t address, double time) {
    return TDataRec{time, address, EncodeMeasureBlock(ups)};
}

std::string DataLogFileName(double time) {
    // "yyyy-mm-dd hh:mm:ss": the year is characters 1-4, the month 6-7.
    const std::string text = FormatTimeStamp(time);
    return "DataLog" + text.substr(0, 4) + "_" + text.substr(5, 2) + ".dat";
}

TDataLog::TDataLog(std::string folder) : FFolderPath(std::move(folder)) {}

std::string TDataLog::MonthFilePath(double time) const {
    return FFolderPath + DataLogFileName(time);
}

bool TDataLog::Append(const TDataRec& rec) {
    const std::string path = MonthFilePath(rec.Time);
    if (!MakeFolders(FFolderPath) || !MakeFile(path))
        return false;
    const int64_t count = WholeRecords(path, DataRecSize);
    if (count < 0)
        return false;
    const TDataRecBytes bytes = EncodeDataRec(rec);
    return WriteRecordAt(path, count, bytes.data(), bytes.size());
}

int TDataLog::RecordCount(const std::string& fullFileName) {
    if (!MakeFile(fullFileName))
        throw std::runtime_error("Unable to write to " + fullFileName);
    const int64_t count = WholeRecords(fullFileName, DataRecSize);
    if (count < 0)
        throw std::runtime_error("Unable to read " + fullFileName);
    return count > INT_MAX ? INT_MAX : int(count);
}
