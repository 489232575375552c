#pragma once
// A read-only view of a file's bytes as they are at opening, kept for as long
// as a grid shows records from it. The file itself is closed at once; the
// pages come from the page cache on demand. The data log is only ever
// appended to or deleted whole, which leaves the mapped part intact.

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

private:
    void Release();
    const uint8_t* FData = nullptr;
    std::size_t FSize = 0;   // whole records only
    std::size_t FMapped = 0; // bytes of the mapping; 0 when FData is heap or null
    uint8_t* FHeap = nullptr;
};
