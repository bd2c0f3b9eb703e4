#pragma once
// List values of the settings: fields separated by ",,".

namespace qt::engine {

// Splits `text` in place at each ",," whose first comma is a character of
// its own, storing the start of each field in `fields` (room for
// `capacity`). Returns the field count (1..capacity), or -capacity when the
// text holds more fields than that.
int splitList(char* text, int capacity, char** fields);

}  // namespace qt::engine
