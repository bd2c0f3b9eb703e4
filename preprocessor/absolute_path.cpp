#include "preprocessor/absolute_path.h"

#include <unistd.h>

#include <climits>
#include <vector>

#include "common/cp932.h"
#include "common/paths.h"

namespace qt::pre {

std::string startFolder() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) return {};
    return utf8ToCp932(buffer);
}

std::string absolutePath(std::string_view base, std::string_view path) {
    std::string joined = toSlashes(path);
    if (joined.empty() || (joined[0] != '/' && base.empty())) return joined;
    if (joined[0] != '/') joined = toSlashes(base) + "/" + joined;

    std::vector<std::string_view> parts;
    std::string_view rest = joined;
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (const auto part : parts) {
        out += '/';
        out += part;
    }
    return out.empty() ? "/" : out;
}

}  // namespace qt::pre
