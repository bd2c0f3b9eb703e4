#include "common/report.h"

#include <cstdio>
#include <string>

#include "common/cp932.h"

namespace qt {

void reportToStderr(std::string_view caption, std::string_view text) {
    std::string line = cp932ToUtf8(caption);
    line += ": ";
    line += cp932ToUtf8(text);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace qt
