#pragma once
// Settings reads from an INI file beside the executable, with the reading
// rules of the Windows profile functions for [section] and key=value lines.
#include <cstddef>
#include <cstdint>

namespace qt {

// Copies the value (or `def` when the file, section or key is missing) into
// `dest`, cut to size - 1 bytes. Returns the number of bytes stored.
int readIniString(const char* section, const char* key, const char* def, char* dest, size_t size, const char* fileName);

// A decimal integer: optional sign, digits up to the first non-digit, 0 when
// there are none. A missing or empty value gives `def`.
int readIniInt(const char* section, const char* key, int def, const char* fileName);

// The value in any numeral form (see numeralValue); missing or empty gives `def`.
int32_t readIniNumber(const char* section, const char* key, int def, const char* fileName);

}  // namespace qt
