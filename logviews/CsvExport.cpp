#include "logviews/CsvExport.h"

#include "base/AtomicFile.h"
#include "logviews/LineBlocks.h"

#include <cerrno>
#include <cstring>
#include <string_view>

namespace {
// Lines formatted together and written with one call: about 1.5 MB of a data
// log, so that a cancel is seen within milliseconds.
constexpr int64_t BlockLines = 16384;

TExportOutcome Failure(const std::string& path, int error) {
    return {TExportResult::Failed, "Unable to write to " + path + ": " + std::strerror(error)};
}

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

// Writes every line into fd; Written, Cancelled, or Failed with `error` set.
TExportResult WriteLines(const TGridSource& grid, TCsvEncoding encoding, int fd,
                         TJobProgress& progress, int& error) {
    const int64_t total = grid.RowCount() + 1;
    progress.Set(0, total);
    if (encoding == TCsvEncoding::Utf8Bom && !WriteAll(fd, Utf8ByteOrderMark)) {
        error = errno;
        return TExportResult::Failed;
    }
    TExportResult result = TExportResult::Written;
    MakeLineBlocks(
        total, BlockLines,
        [&grid, encoding](int64_t line, std::string& out) {
            grid.AppendCsvLine(line - 1, encoding, out); // line 0 is the header, row -1
            out += "\r\n";
        },
        [&](const std::string& block, int64_t linesDone) {
            if (progress.Stopping())
                result = TExportResult::Cancelled;
            else if (!WriteAll(fd, block)) {
                result = TExportResult::Failed;
                error = errno;
            } else
                progress.Position.store(linesDone, std::memory_order_relaxed);
            return result == TExportResult::Written;
        });
    return result;
}
} // namespace

std::string CsvFileName(const std::string& chosen) {
    return chosen.find(".csv") != std::string::npos ? chosen : chosen + ".csv";
}

TExportOutcome ExportCsv(const TGridSource& grid, const std::string& path, TJobProgress& progress,
                         TCsvEncoding encoding) {
    TAtomicFile file(path); // removed again on a cancel, a failure or a throw
    if (file.Error() != 0)
        return Failure(path, file.Error());
    TExportResult result = TExportResult::Failed;
    int error = 0;
    try {
        result = WriteLines(grid, encoding, file.Fd(), progress, error);
    } catch (const std::exception& e) {
        return {TExportResult::Failed, "Unable to write to " + path + ": " + e.what()};
    }
    if (result == TExportResult::Written && !file.Replace())
        return Failure(path, file.Error());
    if (result == TExportResult::Failed)
        return Failure(path, error);
    return {result, {}};
}
