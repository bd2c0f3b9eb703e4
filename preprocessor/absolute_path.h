#pragma once
// Command-line paths made absolute against the folder the program was
// started from, before it changes into its own folder.
#include <string>
#include <string_view>

namespace qt::pre {

// CP932 current folder, or empty when it cannot be read.
std::string startFolder();

// `path` joined to `base` unless it is absolute (or base is empty), with "/"
// separators, no "." or empty components, ".." folded and no trailing "/".
std::string absolutePath(std::string_view base, std::string_view path);

}  // namespace qt::pre
