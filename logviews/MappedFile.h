#pragma once
// A read-only view of a file's bytes as they are at opening, kept for as long
// as a grid shows records from it. The pages come from the page cache on
// demand. The data log is only ever appended to or deleted whole, which leaves
// the mapped part intact; but a restore or a second copy of the program can
// truncate the month under the viewer. Reading a page that is gone would end
// the process (SIGBUS), so such a fault puts zero pages in place of the whole
// view and marks it changed: readers get zeros, never a crash, and the owner
// asks Changed() to stop showing what is gone.

#include <cstddef>
#include <cstdint>
#include <string>

class TMappedFile {
public:
    TMappedFile() = default;
    ~TMappedFile();
    TMappedFile(TMappedFile&& other) noexcept;
    TMappedFile& operator=(TMappedFile&& other) noexcept;
    TMappedFile(const TMappedFile&) = delete;
    TMappedFile& operator=(const TMappedFile&) = delete;

    // Maps the whole records of recSize bytes; false when the file cannot be
    // opened or mapped (the object is then empty).
    [[nodiscard]] bool Open(const std::string& path, std::size_t recSize);
    // Maps a copy of bytes held in memory (tests and the fuzz targets).
    void Adopt(const uint8_t* bytes, std::size_t size, std::size_t recSize);

    [[nodiscard]] const uint8_t* Data() const { return FData; }
    [[nodiscard]] std::size_t Size() const { return FSize; }
    // True once the file is shorter than the view, or a read found a page
    // gone (the view then reads as zeros). Safe from any thread.
    [[nodiscard]] bool Changed() const;

private:
    void Release();
    const uint8_t* FData = nullptr;
    std::size_t FSize = 0;   // whole records only
    std::size_t FMapped = 0; // bytes of the mapping; 0 when FData is heap or null
    uint8_t* FHeap = nullptr;
    int FFd = -1;   // kept open to see the file's size
    int FSlot = -1; // this mapping in the fault guard's table
};
