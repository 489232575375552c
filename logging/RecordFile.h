#pragma once
// File operations of the two log stores, on files of fixed-size records. Each
// call opens, works and closes; none throws.

#include <cstddef>
#include <cstdint>
#include <string>

// Creates the folder and its missing parents; true when it exists afterwards.
[[nodiscard]] bool MakeFolders(const std::string& folder);

// Creates the file empty when it is missing; true when it exists afterwards.
[[nodiscard]] bool MakeFile(const std::string& path);

// Whole records of recSize bytes in the file (a partial tail is not counted);
// -1 when the size cannot be read.
[[nodiscard]] int64_t WholeRecords(const std::string& path, std::size_t recSize);

// Writes recSize bytes at record `index`, over whatever lies there.
[[nodiscard]] bool WriteRecordAt(const std::string& path, int64_t index, const uint8_t* data,
                                 std::size_t recSize);

enum class TCopyResult { Copied, TargetExists, Failed };
// Copies from to a new file `to`; an existing `to` is never replaced, and a
// copy that fails half way is removed again.
[[nodiscard]] TCopyResult CopyToNewFile(const std::string& from, const std::string& to);

// Cuts the file to zero bytes.
[[nodiscard]] bool EmptyFile(const std::string& path);
