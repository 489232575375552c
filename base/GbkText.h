#pragma once
// The program's texts are UTF-8 in memory; files (device names, CSV exports)
// hold them as GBK, the 8-bit code page the stored files were written in.

#include <string>
#include <string_view>

// Bytes that cannot be converted are replaced by '?', so a damaged file still loads.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);
