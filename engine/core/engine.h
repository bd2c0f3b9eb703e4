#pragma once
// The engine-wide state of qRun. One instance lives for the whole run; every
// part of the engine reaches the window, the screens and the text through it.
#include <cstdint>
#include <functional>
#include <string>

#include "engine/core/event_queue.h"
#include "engine/core/honbun_writer.h"
#include "engine/core/key_wait_settings.h"
#include "engine/core/memory_dcs.h"
#include "engine/core/output_picture.h"
#include "engine/core/scenario_host.h"
#include "engine/platform/backend.h"
#include "engine/platform/pixels/surface.h"
#include "engine/platform/sound.h"
#include "engine/platform/text.h"
#include "engine/rules/engine_settings.h"

namespace qt::engine {

enum RunState : int32_t { kRunning = 1, kWaitingForKey = 2, kRestarting = 3 };

struct Engine {
    // Chosen once at start-up; the engine never knows which ones run.
    platform::Backend* backend = nullptr;
    platform::Text* text = nullptr;
    platform::Sound* sound = nullptr;
    ScenarioHost* host = nullptr;

    EventQueue events;
    // The client area's picture, window size (or the drawable area's size
    // when the picture is scaled); present() shows it.
    platform::Surface clientPicture;
    OutputPicture output;

    // Set once the window has been made; like a window handle it stays set
    // after the window is destroyed.
    bool hasWindow = false;
    int32_t runState = kRunning;
    // An errexit report was made: the run ends with exit code 1.
    bool fatal = false;

    // Author mode: F5 converts the sources again and starts over at the page
    // on screen; the title names the page's scenario file and line.
    bool authorMode = false;
    std::string titleCp932;  // as the settings give it
    // Steps run without painting, waits, pauses or sound output until the
    // scenario reaches the line asked for (--from).
    bool fastForward = false;
    // Converts the sources for F5 (the qPre beside qRun over its file list):
    // its exit code, or -1 when it could not run; what it said (UTF-8).
    std::function<int(std::string& messages)> convertSources;
    // Set by F5 after a good conversion: the restart goes on from this
    // "FILE:LINE" (the path as on disk; empty: from the beginning).
    bool reloaded = false;
    std::string restartFrom;

    int32_t screenWidth = 320, screenHeight = 240;  // composition resolution
    int32_t windowWidth = 640, windowHeight = 480;  // presentation resolution
    int32_t scaleMode = -1;                         // [screen] scaleMode; -1: not set
    bool fullscreenAsked = false;                   // [screen] fullscreen or --fullscreen

    // A left press that may still become a click (clicks passing waits).
    struct Press {
        bool down = false;
        int x = 0, y = 0;
    } press;

    KeyWaitSettings keyWait;
    MemoryDCs screens;
    HonbunWriter honbun;

    // Captures of the window's picture (empty folder: none).
    std::string captureDir;
    uint32_t waitSerial = 0;      // waits begun so far
    uint32_t capturedSerial = 0;  // waits captured so far

    // Ends the process at once (errexit and settings errors before the
    // window exists). Replaceable for tests.
    std::function<void(int)> exitNow;
};

}  // namespace qt::engine
