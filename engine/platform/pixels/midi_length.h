#pragma once
// The playing time of a standard MIDI file, read from its events (tempo
// changes included), so that a file is judged before anything decodes it.
#include <string_view>

namespace qt::platform {

struct MidiLength {
    enum class Kind { notMidi, broken, ok } kind = Kind::notMidi;
    double seconds = 0;
};

MidiLength midiLength(std::string_view file);

}  // namespace qt::platform
