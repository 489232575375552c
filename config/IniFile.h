#pragma once
// A small INI text file kept as its lines, so that sections, keys, comments and
// lines this program does not know survive a rewrite unchanged. Section and key
// names match regardless of case; blanks around names, "=" and values are
// ignored. The first of duplicate sections or keys wins.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TIniFile {
public:
    // Files above this size are not settings files; they read as empty.
    static constexpr std::size_t MaxFileSize = 1 << 20;

    // TooLarge: the file exceeds MaxFileSize and reads as empty.
    enum class TLoadResult { Read, Missing, TooLarge, Unreadable };

    TIniFile() = default;
    explicit TIniFile(std::string_view text);

    // Reads the file at path; on anything but Read the object stays empty.
    TLoadResult Load(const std::string& path);

    [[nodiscard]] std::optional<std::string> ReadValue(std::string_view section,
                                                       std::string_view key) const;
    // The value, or def when the key is missing or its value is empty.
    [[nodiscard]] std::string ReadString(std::string_view section, std::string_view key,
                                         const std::string& def) const;
    // A whole decimal number in the 32-bit range, or def.
    [[nodiscard]] int32_t ReadInteger(std::string_view section, std::string_view key,
                                      int32_t def) const;

    // Replaces the key's line, or adds it at the end of its section (adding
    // the section at the end of the file when missing). Control characters
    // in the value are dropped so a value can never break the file's lines.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);

    [[nodiscard]] std::string Text() const;

private:
    struct TSpan {
        std::size_t Header; // line index of "[section]"
        std::size_t End;    // one past the last line of the section
    };
    [[nodiscard]] std::optional<TSpan> FindSection(std::string_view section) const;
    [[nodiscard]] std::optional<std::size_t> FindKey(const TSpan& span, std::string_view key) const;
    [[nodiscard]] std::string LineEnd() const { return FCrLf ? "\r" : ""; }

    std::vector<std::string> FLines; // without '\n'; a '\r' stays with its line
    bool FCrLf = false;              // new lines follow the file's line ends
};
