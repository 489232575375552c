#pragma once
// Writing files whole. A file is replaced so that a crash or a full disk never
// leaves half of it: the bytes go to a temporary file in the same folder, made
// with the user's umask, flushed to the disk, then renamed over the old one,
// whose permissions it takes.

#include <string>
#include <string_view>

// Writes every byte to fd, again after a short write or an interruption;
// false, with errno set, when the file takes no more.
[[nodiscard]] bool WriteAll(int fd, std::string_view bytes);

// A temporary file beside its target; removed again unless it was put in place.
class TAtomicFile {
public:
    // Opens the temporary file; Error() tells why it could not be. A target the
    // user made read-only is refused (EACCES), as a write in place would be.
    explicit TAtomicFile(std::string target);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    int Error() const { return FError; } // 0, or the errno of the first failure
    int Fd() const { return FFd; }

    // Flushes the file and renames it over the target, which it replaces with
    // the target's permissions; true when done, else Error() says why.
    [[nodiscard]] bool Replace();

    enum class TPlaced { Placed, Exists, Failed };
    // Flushes the file and gives it the name `name`, in the same folder, only
    // when nothing has that name; on Exists the file stays for another name.
    [[nodiscard]] TPlaced PlaceNew(const std::string& name);

private:
    bool Flush();
    int Fail();

    std::string FTarget;
    std::string FTemp;
    int FFd = -1;
    int FError = 0;
    bool FFlushed = false;
    bool FPlaced = false;
};

// Throws std::runtime_error "Unable to write to <path>"; the old file and the
// folder are then left as they were.
void WriteFileAtomically(const std::string& path, std::string_view text);
