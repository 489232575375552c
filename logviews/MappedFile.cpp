#include "logviews/MappedFile.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {
// The mappings the SIGBUS handler may repair. The handler only reads the
// table and writes Gone; slots are taken and given back under a mutex by
// ordinary code, which never runs while a reader of that mapping does.
struct TGuardSlot {
    std::atomic<uintptr_t> Start{0};
    std::atomic<std::size_t> Length{0};
    std::atomic<bool> Gone{false};
};
constexpr int GuardSlots = 64;
std::array<TGuardSlot, GuardSlots> Guard;
std::mutex GuardLock;
struct sigaction PreviousBus {};

void OnBus(int sig, siginfo_t* info, void* context) {
    const auto addr = reinterpret_cast<uintptr_t>(info->si_addr);
    for (TGuardSlot& s : Guard) {
        const uintptr_t start = s.Start.load(std::memory_order_acquire);
        const std::size_t length = s.Length.load(std::memory_order_acquire);
        if (start == 0 || addr < start || addr - start >= length)
            continue;
        // Zero pages over the whole view, at the same address: the faulting
        // read is retried and finds a zero, later reads never fault again.
        void* p = ::mmap(reinterpret_cast<void*>(start), length, PROT_READ,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (p == MAP_FAILED)
            break;
        s.Gone.store(true, std::memory_order_release);
        return;
    }
    // Not one of ours: what would have happened without this handler.
    if (PreviousBus.sa_flags & SA_SIGINFO && PreviousBus.sa_sigaction != nullptr) {
        PreviousBus.sa_sigaction(sig, info, context);
        return;
    }
    if (PreviousBus.sa_handler != SIG_DFL && PreviousBus.sa_handler != SIG_IGN &&
        PreviousBus.sa_handler != nullptr) {
        PreviousBus.sa_handler(sig);
        return;
    }
    ::signal(SIGBUS, SIG_DFL); // the fault repeats and ends the process as before
}

int TakeSlot(const void* start, std::size_t length) {
    std::lock_guard lock(GuardLock);
    static const bool installed = [] {
        struct sigaction sa {};
        sa.sa_sigaction = OnBus;
        sa.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&sa.sa_mask);
        return ::sigaction(SIGBUS, &sa, &PreviousBus) == 0;
    }();
    if (!installed)
        return -1;
    for (int i = 0; i < GuardSlots; ++i) {
        TGuardSlot& s = Guard[std::size_t(i)];
        if (s.Start.load(std::memory_order_relaxed) != 0)
            continue;
        s.Gone.store(false, std::memory_order_relaxed);
        s.Length.store(length, std::memory_order_release);
        s.Start.store(reinterpret_cast<uintptr_t>(start), std::memory_order_release);
        return i;
    }
    return -1;
}

void GiveSlot(int slot) {
    std::lock_guard lock(GuardLock);
    Guard[std::size_t(slot)].Start.store(0, std::memory_order_release);
    Guard[std::size_t(slot)].Length.store(0, std::memory_order_release);
}
} // namespace

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
        FFd = std::exchange(other.FFd, -1);
        FSlot = std::exchange(other.FSlot, -1);
    }
    return *this;
}

void TMappedFile::Release() {
    if (FSlot >= 0)
        GiveSlot(FSlot);
    if (FMapped != 0)
        ::munmap(const_cast<uint8_t*>(FData), FMapped);
    if (FFd >= 0)
        ::close(FFd);
    delete[] FHeap;
    FData = nullptr;
    FHeap = nullptr;
    FSize = FMapped = 0;
    FFd = FSlot = -1;
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
            FSlot = TakeSlot(map, size);
            // Unguarded, a shrinking file could end the process: refuse it.
            ok = FSlot >= 0;
        }
    }
    FFd = fd;
    if (!ok)
        Release();
    return ok;
}

bool TMappedFile::Changed() const {
    if (FSlot >= 0 && Guard[std::size_t(FSlot)].Gone.load(std::memory_order_acquire))
        return true;
    struct stat st {};
    return FFd >= 0 && FMapped != 0 &&
           (::fstat(FFd, &st) != 0 || std::size_t(st.st_size) < FMapped);
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
