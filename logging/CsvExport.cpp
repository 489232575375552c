#include "logging/CsvExport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr std::size_t FlushSize = 1 << 20;
constexpr int64_t LinesPerProgress = 4096;

bool WriteAll(int fd, const std::string& bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= std::size_t(n);
    }
    return true;
}

TExportOutcome Failure(const std::string& path, int error) {
    return {TExportResult::Failed, "Unable to write to " + path + ": " + std::strerror(error)};
}

// Writes every line into fd; Written, Cancelled, or Failed with errno set.
TExportResult WriteLines(const TGridSource& grid, int fd, TJobProgress& progress) {
    const int64_t total = grid.RowCount() + 1;
    progress.Set(0, total);
    std::string buffer;
    buffer.reserve(FlushSize + 4096);
    for (int64_t line = 0; line < total; ++line) {
        grid.AppendCsvLine(line - 1, buffer);
        buffer += "\r\n";
        if (buffer.size() >= FlushSize) {
            if (!WriteAll(fd, buffer))
                return TExportResult::Failed;
            buffer.clear();
        }
        if ((line + 1) % LinesPerProgress == 0) {
            progress.Position.store(line + 1, std::memory_order_relaxed);
            if (progress.Stopping())
                return TExportResult::Cancelled;
        }
    }
    if (!WriteAll(fd, buffer))
        return TExportResult::Failed;
    progress.Position.store(total, std::memory_order_relaxed);
    return TExportResult::Written;
}
} // namespace

std::string CsvFileName(const std::string& chosen) {
    return chosen.find(".csv") != std::string::npos ? chosen : chosen + ".csv";
}

TExportOutcome ExportCsv(const TGridSource& grid, const std::string& path, TJobProgress& progress) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return Failure(path, errno);
    ::fchmod(fd, 0644);
    TExportResult result = TExportResult::Failed;
    int error = 0;
    std::string thrown;
    try {
        result = WriteLines(grid, fd, progress);
        error = errno;
    } catch (const std::exception& e) {
        thrown = e.what(); // the temporary file is removed all the same
    }
    if (::close(fd) != 0 && result == TExportResult::Written) {
        result = TExportResult::Failed;
        error = errno;
    }
    if (result == TExportResult::Written && ::rename(temp.c_str(), path.c_str()) != 0) {
        result = TExportResult::Failed;
        error = errno;
    }
    if (result != TExportResult::Written)
        ::unlink(temp.c_str());
    if (!thrown.empty())
        return {TExportResult::Failed, "Unable to write to " + path + ": " + thrown};
    if (result == TExportResult::Failed)
        return Failure(path, error);
    return {result, {}};
}
