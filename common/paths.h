#pragma once
// The one path resolver. Paths inside the programs are CP932 and were often
// written on Windows; this turns them into names the file system knows.
#include <optional>
#include <string>
#include <string_view>

namespace qt {

// Every backslash that is a character of its own becomes "/"; the 0x5C
// second byte of a two-byte character stays.
std::string toSlashes(std::string_view cp932Path);

// Finds an existing file or folder: the path converted to UTF-8, then the
// bytes as written, then a per-component match ignoring ASCII letter case.
// Returns the path as it is spelled on disk.
std::optional<std::string> resolveExisting(std::string_view cp932Path);

// Where a new file of this name goes: an existing file found by the resolver
// is reused; otherwise the resolved parent folder plus the name in UTF-8.
std::string resolveForCreate(std::string_view cp932Path);

bool pathExists(std::string_view cp932Path);
bool folderExists(std::string_view cp932Path);

}  // namespace qt
