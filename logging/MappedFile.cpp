#include "logging/MappedFile.h"

#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

TMappedFile::~TMappedFile() {
    Release();
}

TMappedFile::TMappedFile(TMappedFile&& other) noexcept {
    *this = std::move(other);
}

TMappedFile& TMappedFile::operator=(TMappedFile&& other) noexcept {
    if (this != &other) {
        Release();
        FData = std::exchange(other.FData, nullptr);
        FSize = std::exchange(other.FSize, 0);
        FMapped = std::exchange(other.FMapped, 0);
        FHeap = std::exchange(other.FHeap, nullptr);
    }
    return *this;
}

void TMappedFile::Release() {
    if (FMapped != 0)
        ::munmap(const_cast<uint8_t*>(FData), FMapped);
    delete[] FHeap;
    FData = nullptr;
    FHeap = nullptr;
    FSize = FMapped = 0;
}

bool TMappedFile::Open(const std::string& path, std::size_t recSize) {
    Release();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const std::size_t size = ok ? std::size_t(st.st_size) / recSize * recSize : 0;
    if (ok && size > 0) {
        void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
        ok = map != MAP_FAILED;
        if (ok) {
            FData = static_cast<const uint8_t*>(map);
            FSize = FMapped = size;
        }
    }
    ::close(fd);
    return ok;
}

void TMappedFile::Adopt(const uint8_t* bytes, std::size_t size, std::size_t recSize) {
    Release();
    FSize = size / recSize * recSize;
    if (FSize == 0)
        return;
    FHeap = new uint8_t[FSize];
    std::memcpy(FHeap, bytes, FSize);
    FData = FHeap;
}
