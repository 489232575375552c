#include "logging/RecordFile.h"

#include "base/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Closes on every path out; the result of close is still looked at by callers
// that wrote, through Close().
class TFd {
public:
    explicit TFd(int fd) : FFd(fd) {}
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd() {
        if (FFd >= 0)
            ::close(FFd);
    }
    int Get() const { return FFd; }
    bool Ok() const { return FFd >= 0; }
    [[nodiscard]] bool Close() {
        int fd = FFd;
        FFd = -1;
        return ::close(fd) == 0;
    }

private:
    int FFd;
};

bool WriteAllAt(int fd, const uint8_t* data, std::size_t size, off_t at) {
    while (size > 0) {
        ssize_t n = ::pwrite(fd, data, size, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
        at += n;
    }
    return true;
}

bool CopyContents(int from, int to) {
    uint8_t buf[64 * 1024];
    off_t at = 0;
    for (;;) {
        ssize_t n = ::read(from, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!WriteAllAt(to, buf, std::size_t(n), at))
            return false;
        at += n;
    }
}
} // namespace

bool MakeFolders(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

bool MakeFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISREG(st.st_mode);
    TFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    return fd.Ok() && fd.Close();
}

int64_t WholeRecords(const std::string& path, std::size_t recSize) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return int64_t(st.st_size) / int64_t(recSize);
}

bool WriteRecordAt(const std::string& path, int64_t index, const uint8_t* data,
                   std::size_t recSize) {
    TFd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd.Ok())
        return false;
    bool ok = WriteAllAt(fd.Get(), data, recSize, off_t(index * int64_t(recSize)));
    return fd.Close() && ok;
}

TCopyResult CopyToNewFile(const std::string& from, const std::string& to) {
    // A taken name is seen before anything is copied, so that scanning for a
    // free name costs one look per name; the link at the end settles a race.
    if (::access(to.c_str(), F_OK) == 0)
        return TCopyResult::TargetExists;
    TAtomicFile copy(to); // a copy that fails half way is never seen under `to`
    TFd src(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (copy.Error() != 0 || !src.Ok() || !CopyContents(src.Get(), copy.Fd()))
        return TCopyResult::Failed;
    switch (copy.PlaceNew(to)) {
    case TAtomicFile::TPlaced::Placed:
        return TCopyResult::Copied;
    case TAtomicFile::TPlaced::Exists:
        return TCopyResult::TargetExists;
    case TAtomicFile::TPlaced::Failed:
        break;
    }
    return TCopyResult::Failed;
}

bool EmptyFile(const std::string& path) {
    TFd fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    return fd.Ok() && fd.Close();
}
