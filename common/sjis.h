#pragma once
// Shift-JIS (CP932) byte classes and the exact word comparison.

namespace qt {

// -1 (all bits set) for a lead byte (0x81-0x9F, 0xE0-0xFC), else 0.
int isLeadByte(unsigned char byte);

// Kind of the byte at `pos` in the text beginning at `start`:
// -1 before the start, 0 one-byte character, 1 first byte of a two-byte
// character, 2 second byte of a two-byte character.
int byteKind(const char* start, const char* pos);

// 0 when both terminated texts hold the same bytes, -1 otherwise.
int sameText(const char* a, const char* b);

}  // namespace qt
