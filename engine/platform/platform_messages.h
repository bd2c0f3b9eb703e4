#pragma once
// Fixed texts of the platform layer. Reports that go to standard error or to
// the caller's `error` string are UTF-8 (use .utf8()).
#include "common/message.h"

namespace qt::platform::msg {

// Input scripts of the headless backend.
inline const Message scriptBadTime{"the line does not begin with a time in milliseconds"};
inline const Message scriptUnknownEvent{
    "unknown event (expected key, down, up, focus, click, shift-click, right-click, drag, wheel or pad)"};
inline const Message scriptUnknownKey{"unknown key name"};
inline const Message scriptBadFocus{"focus must be followed by in or out"};
inline const Message scriptBadPoint{"a click needs two whole numbers X Y"};
inline const Message scriptBadDrag{"a drag needs four whole numbers X1 Y1 X2 Y2"};
inline const Message scriptBadWheel{"wheel must be followed by up or down"};
inline const Message scriptTrailing{"unexpected text after the event"};

// The desktop backend.
inline const Message noDisplay{"cannot open a window (no display?); run with --headless to play without one"};
inline const Message noWindow{"cannot create the window"};
inline const Message missingX11{"the X window system's libraries are missing (Debian: libx11-6 libxext6): "};

// Audio.
inline const Message noAudioDevice{"音声デバイスが開けません。音を出さずに続けます"};
inline const Message midiNotPlayed{"MIDIの音色がありません。MIDIの曲は無音のまま続けます"};
}  // namespace qt::platform::msg
