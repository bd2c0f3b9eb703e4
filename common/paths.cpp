#include "common/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <vector>

#include "common/cp932.h"
#include "common/sjis.h"

namespace qt {

namespace {

bool exists(const std::string& p) {
    struct stat st;
    return !p.empty() && ::stat(p.c_str(), &st) == 0;
}

unsigned char lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

std::string foldUtf8(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(lower(static_cast<unsigned char>(c)));
    return out;
}

// Folds only bytes that stand as one-byte characters.
std::string foldSjis(std::string_view s) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); ++i) {
        if (byteKind(out.data(), out.data() + i) == 0) {
            out[i] = static_cast<char>(lower(static_cast<unsigned char>(out[i])));
        }
    }
    return out;
}

std::string join(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

// Finds `component` (CP932) inside the on-disk folder `dir`.
std::optional<std::string> findComponent(const std::string& dir, const std::string& component) {
    if (component == "." || component == "..") return join(dir, component);
    const std::string utf8 = cp932ToUtf8(component);
    for (const std::string* cand : {&utf8, &component}) {
        const std::string p = join(dir, *cand);
        if (exists(p)) return p;
    }
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) return std::nullopt;
    const std::string wantUtf8 = foldUtf8(utf8);
    const std::string wantSjis = foldSjis(component);
    std::optional<std::string> best;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        // The CP932 spelling of the name catches characters whose round trip
        // through CP932 changes them (U+301C comes back as U+FF5E).
        if (foldUtf8(name) == wantUtf8 || foldSjis(name) == wantSjis || foldSjis(utf8ToCp932(name)) == wantSjis) {
            if (!best || name < *best) best = name;
        }
    }
    ::closedir(d);
    if (!best) return std::nullopt;
    return join(dir, *best);
}

}  // namespace

std::string toSlashes(std::string_view cp932Path) {
    std::string out(cp932Path);
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\\' && byteKind(out.data(), out.data() + i) == 0) out[i] = '/';
    }
    return out;
}

std::optional<std::string> resolveExisting(std::string_view cp932Path) {
    const std::string path = toSlashes(cp932Path);
    if (path.empty()) return std::nullopt;
    const std::string utf8 = cp932ToUtf8(path);
    if (exists(utf8)) return utf8;
    if (exists(path)) return path;

    std::string current = path[0] == '/' ? "/" : "";
    size_t pos = 0;
    while (pos < path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos) next = path.size();
        if (next > pos) {
            auto found = findComponent(current, path.substr(pos, next - pos));
            if (!found) return std::nullopt;
            current = *found;
        }
        pos = next + 1;
    }
    if (current.empty() || !exists(current)) return std::nullopt;
    return current;
}

std::string resolveForCreate(std::string_view cp932Path) {
    if (auto existing = resolveExisting(cp932Path)) return *existing;
    const std::string path = toSlashes(cp932Path);
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return cp932ToUtf8(path);
    const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = cp932ToUtf8(path.substr(slash + 1));
    auto dir = resolveExisting(parent);
    return join(dir ? *dir : cp932ToUtf8(parent), name);
}

bool pathExists(std::string_view cp932Path) { return resolveExisting(cp932Path).has_value(); }

bool folderExists(std::string_view cp932Path) {
    auto p = resolveExisting(cp932Path);
    struct stat st;
    return p && ::stat(p->c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace qt
