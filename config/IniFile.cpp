#include "config/IniFile.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string_view Trim(std::string_view s) {
    const char* blanks = " \t\r\v\f";
    std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// "[name]" with optional blanks; nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[')
        return std::nullopt;
    std::size_t close = t.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

bool IsComment(std::string_view trimmed) {
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

std::optional<std::string_view> KeyOf(std::string_view line) {
    std::string_view t = Trim(line);
    std::size_t eq = t.find('=');
    if (IsComment(t) || eq == std::string_view::npos)
        return std::nullopt;
    return Trim(t.substr(0, eq));
}

std::string_view ValueOf(std::string_view line) {
    std::string_view v = Trim(line.substr(line.find('=') + 1));
    // A value written in quotes means the text inside them.
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        v = v.substr(1, v.size() - 2);
    return v;
}

bool ReadAll(int fd, std::string& buf) {
    std::size_t got = 0;
    while (got < buf.size()) {
        ssize_t n = ::read(fd, buf.data() + got, buf.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break; // the file shrank meanwhile
        got += std::size_t(n);
    }
    buf.resize(got);
    return true;
}

TIniFile::TLoadResult ReadWholeFile(const std::string& path, std::string& text) {
    using R = TIniFile::TLoadResult;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? R::Missing
                                                   : R::Unreadable; // nothing there to keep
    R result = R::Unreadable;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        if (std::size_t(st.st_size) > TIniFile::MaxFileSize) {
            result = R::TooLarge;
        } else {
            text.assign(std::size_t(st.st_size), '\0');
            result = ReadAll(fd, text) ? R::Read : R::Unreadable;
        }
    }
    ::close(fd);
    return result;
}
} // namespace

TIniFile::TIniFile(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos)
            nl = text.size();
        FLines.emplace_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    FCrLf = !FLines.empty() && !FLines.front().empty() && FLines.front().back() == '\r';
}

TIniFile::TLoadResult TIniFile::Load(const std::string& path) {
    std::string text;
    TLoadResult result = ReadWholeFile(path, text);
    *this = TIniFile(result == TLoadResult::Read ? text : std::string());
    return result;
}

std::optional<TIniFile::TSpan> TIniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        std::optional<std::string_view> name = SectionName(FLines[i]);
        if (!name || !SameName(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < FLines.size() && !SectionName(FLines[end]))
            ++end;
        return TSpan{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> TIniFile::FindKey(const TSpan& span, std::string_view key) const {
    for (std::size_t i = span.Header + 1; i < span.End; ++i) {
        std::optional<std::string_view> name = KeyOf(FLines[i]);
        if (name && SameName(*name, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> TIniFile::ReadValue(std::string_view section,
                                               std::string_view key) const {
    std::optional<TSpan> span = FindSection(section);
    if (!span)
        return std::nullopt;
    std::optional<std::size_t> line = FindKey(*span, key);
    if (!line)
        return std::nullopt;
    return std::string(ValueOf(FLines[*line]));
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 const std::string& def) const {
    std::optional<std::string> v = ReadValue(section, key);
    return v && !v->empty() ? *v : def;
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    std::optional<std::string> v = ReadValue(section, key);
    if (!v)
        return def;
    std::string_view digits = *v;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1); // from_chars takes '-' but not '+'
    int32_t value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty())
        return def;
    return value;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    for (char c : value)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            line += c;
    line += LineEnd();

    std::optional<TSpan> span = FindSection(section);
    if (!span) {
        FLines.push_back("[" + std::string(section) + "]" + LineEnd());
        FLines.push_back(line);
        return;
    }
    if (std::optional<std::size_t> at = FindKey(*span, key)) {
        FLines[*at] = line;
        return;
    }
    // After the section's last non-blank line, before blanks that separate it
    // from the next section.
    std::size_t at = span->End;
    while (at > span->Header + 1 && Trim(FLines[at - 1]).empty())
        --at;
    FLines.insert(FLines.begin() + std::ptrdiff_t(at), line);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

std::string TIniFile::Text() const {
    std::string text;
    for (const std::string& line : FLines) {
        text += line;
        text += '\n';
    }
    return text;
}
