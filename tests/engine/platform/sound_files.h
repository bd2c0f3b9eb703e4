#pragma once
// Small sound files written by the tests themselves.
#include <string>

namespace qt::platform::test {

// 16-bit mono PCM at 8000 Hz, a square wave of `ms` milliseconds.
std::string wavFile(int ms);
// A one-track standard MIDI file: one note of `ms` milliseconds.
std::string midiFile(int ms);
// OGG Vorbis, mono 22050 Hz, a tone of `ms` milliseconds; empty when the
// encoder fails.
std::string oggFile(int ms);

}  // namespace qt::platform::test
