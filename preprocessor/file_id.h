#pragma once
// A file as the file system knows it, whatever path names it.
#include <sys/types.h>

namespace qt::pre {

struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId&) const = default;
};

}  // namespace qt::pre
