#include "base/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The new file keeps the permissions of the one it replaces.
mode_t ModeFor(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0644;
}

// A file the user made read-only stays unchanged, as it would if written in place.
bool Replaceable(const std::string& path) {
    return ::access(path.c_str(), F_OK) != 0 || ::access(path.c_str(), W_OK) == 0;
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

void WriteFileAtomically(const std::string& path, std::string_view text) {
    const std::runtime_error failure("Unable to write to " + path);
    if (!Replaceable(path))
        throw failure;
    std::string temp = path + ".XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        throw failure;
    bool ok = WriteAll(fd, text) && ::fchmod(fd, ModeFor(path)) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        throw failure;
    }
}
