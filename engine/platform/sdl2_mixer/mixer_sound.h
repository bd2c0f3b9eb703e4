#pragma once
// Sound on SDL2_mixer. Both kinds of channel take WAV, OGG Vorbis, MP3, FLAC
// and MIDI (the system's General MIDI sound font; in a web page the TiMidity
// patches packed with it, else silence). Opening even a long music file returns at once; an
// effect that would play longer than ten minutes is refused like a broken
// file.
//
// Audio starts on first use. Silent output uses SDL's dummy driver, so files
// are still opened and checked; when no audio device can be opened, the
// dummy driver is used too (said once on standard error). The process has
// one audio output: a choice made once it has started changes nothing. The
// output closes when the last Sound goes; its channels must be gone first.
#include <memory>

#include "engine/platform/sound.h"

namespace qt::platform {

std::unique_ptr<Sound> createMixerSound(bool silent);

}  // namespace qt::platform
