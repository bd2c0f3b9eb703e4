#include "engine/platform/leak_check.h"

namespace qt::platform {

void useLeakCheckList() {}

}  // namespace qt::platform

// Read by the leak checker at start. Weak: a program with its own list keeps
// that one.
extern "C" [[gnu::weak]] const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n"
           "leak:libfontconfig.so\n";
}
