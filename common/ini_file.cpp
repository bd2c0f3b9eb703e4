#include "common/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "common/exe_folder.h"
#include "common/numeral.h"
#include "common/paths.h"
#include "common/sjis.h"

namespace qt {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && (isBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// The name between "[" and "]"; a 0x5D second byte of a two-byte character
// does not close it.
std::string_view sectionName(std::string_view line) {
    const std::string buf(line);
    size_t close = 1;
    while (close < buf.size() && !(buf[close] == ']' && byteKind(buf.c_str(), buf.c_str() + close) == 0)) {
        ++close;
    }
    return line.substr(1, close - 1);
}

// Reads the whole settings file; nullopt when the path does not fit its
// room or the file cannot be read.
std::optional<std::string> loadSettings(const char* fileName) {
    char iniPath[kIniPathSize];
    const int n = std::snprintf(iniPath, sizeof iniPath, "%s/%s", exeFolder, fileName);
    if (n < 0 || static_cast<size_t>(n) >= sizeof iniPath) return std::nullopt;
    auto disk = resolveExisting(iniPath);
    if (!disk) return std::nullopt;
    // A folder, a pipe or a device is no settings file: without blocking,
    // and read like a missing one.
    const int fd = ::open(disk->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::string text;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    for (char buf[8192]; ok;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) text.append(buf, static_cast<size_t>(n));
        else if (n == 0) break;
        else ok = errno == EINTR;
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    // Editors often save with a UTF-8 byte-order mark; it must not hide the first section.
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    return text;
}

std::optional<std::string> findValue(const std::string& text, const char* section, const char* key) {
    bool inSection = false;
    bool sectionSeen = false;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string_view line = trim(std::string_view(text).substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            if (inSection) return std::nullopt;  // first matching section only
            const std::string_view name = sectionName(line);
            inSection = !sectionSeen && equalsIgnoreCase(name, section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection) continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        if (!equalsIgnoreCase(trim(line.substr(0, eq)), key)) continue;
        std::string_view value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return std::string(value);
    }
    return std::nullopt;
}

int store(std::string_view value, char* dest, size_t size) {
    if (size == 0) return 0;
    const size_t n = value.size() < size - 1 ? value.size() : size - 1;
    std::memmove(dest, value.data(), n);  // the default may be the destination itself
    dest[n] = '\0';
    return static_cast<int>(n);
}

}  // namespace

int readIniString(const char* section, const char* key, const char* def, char* dest, size_t size,
                  const char* fileName) {
    std::optional<std::string> value;
    if (auto text = loadSettings(fileName)) value = findValue(*text, section, key);
    return store(value ? std::string_view(*value) : std::string_view(def ? def : ""), dest, size);
}

int readIniInt(const char* section, const char* key, int def, const char* fileName) {
    char buf[32];
    if (readIniString(section, key, "", buf, sizeof buf, fileName) == 0) return def;
    const char* p = buf;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    uint32_t value = 0;  // wraps like the 32-bit reader it stands for
    while (*p >= '0' && *p <= '9') value = value * 10u + static_cast<uint32_t>(*p++ - '0');
    if (negative) value = 0u - value;
    return static_cast<int>(static_cast<int32_t>(value));
}

int32_t readIniNumber(const char* section, const char* key, int def, const char* fileName) {
    char buf[33];
    readIniString(section, key, "", buf, sizeof buf, fileName);
    if (buf[0] == '\0') return def;
    return numeralInt(buf);
}

}  // namespace qt
