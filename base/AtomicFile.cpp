#include "base/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// A name nobody else is likely to pick; O_EXCL settles the rest.
std::string TempName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".%x.%x.%llx", unsigned(::getpid()), counter++,
                  static_cast<unsigned long long>(now) & 0xffffffULL);
    return target + suffix;
}

// The rename must reach the disk too, or a power cut can bring the old file back.
void SyncFolder(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}
} // namespace

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(std::size_t(n));
    }
    return true;
}

TAtomicFile::TAtomicFile(std::string target) : FTarget(std::move(target)) {
    if (::access(FTarget.c_str(), F_OK) == 0 && ::access(FTarget.c_str(), W_OK) != 0) {
        FError = EACCES;
        return;
    }
    // Made 0666 so that the kernel applies the user's umask (and a folder's
    // default ACL) exactly as it does for any new file.
    for (int attempt = 0; attempt < 100 && FFd < 0; ++attempt) {
        FTemp = TempName(FTarget);
        FFd = ::open(FTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (FFd < 0 && errno != EEXIST)
            break;
    }
    if (FFd < 0) {
        FError = errno;
        FTemp.clear();
    }
}

TAtomicFile::~TAtomicFile() {
    if (FFd >= 0)
        ::close(FFd);
    if (!FPlaced && !FTemp.empty())
        ::unlink(FTemp.c_str());
}

int TAtomicFile::Fail() {
    if (FError == 0)
        FError = errno ? errno : EIO;
    return FError;
}

bool TAtomicFile::Flush() {
    if (FError != 0)
        return false;
    if (FFlushed)
        return true;
    const bool ok = ::fsync(FFd) == 0;
    const int closed = ::close(FFd);
    FFd = -1;
    if (!ok || closed != 0) {
        Fail();
        return false;
    }
    FFlushed = true;
    return true;
}

bool TAtomicFile::Replace() {
    struct stat old {};
    if (FError == 0 && !FFlushed && ::stat(FTarget.c_str(), &old) == 0 &&
        ::fchmod(FFd, old.st_mode & 07777) != 0)
        Fail();
    if (!Flush())
        return false;
    if (::rename(FTemp.c_str(), FTarget.c_str()) != 0) {
        Fail();
        return false;
    }
    FPlaced = true;
    SyncFolder(FTarget);
    return true;
}

TAtomicFile::TPlaced TAtomicFile::PlaceNew(const std::string& name) {
    if (!Flush())
        return TPlaced::Failed;
    // link() never replaces: a name taken meanwhile is seen, not overwritten.
    if (::link(FTemp.c_str(), name.c_str()) != 0) {
        if (errno == EEXIST)
            return TPlaced::Exists;
        Fail();
        return TPlaced::Failed;
    }
    ::unlink(FTemp.c_str());
    FPlaced = true;
    SyncFolder(name);
    return TPlaced::Placed;
}

void WriteFileAtomically(const std::string& path, std::string_view text) {
    TAtomicFile file(path);
    if (file.Error() != 0 || !WriteAll(file.Fd(), text) || !file.Replace())
        throw std::runtime_error("Unable to write to " + path);
}
