#pragma once
// Writing files whole. A file is replaced so that a crash or a full disk never
// leaves half of it: the text goes to a temporary file in the same folder,
// which is then renamed over the old one.

#include <string>
#include <string_view>

// Writes every byte to fd, again after a short write or an interruption;
// false, with errno set, when the file takes no more.
[[nodiscard]] bool WriteAll(int fd, std::string_view bytes);

// Throws std::runtime_error "Unable to write to <path>"; the old file and the
// folder are then left as they were.
void WriteFileAtomically(const std::string& path, std::string_view text);
