#pragma once
// The engine's window, input, clock and message boxes. Two backends stand
// behind this interface: the SDL2 desktop and the headless one (virtual
// clock, scripted input). The engine never knows which one runs.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/platform/pixels/surface.h"

namespace qt::platform {

// Windows virtual-key numbers the engine uses.
namespace vk {
constexpr uint32_t back = 0x08, enter = 0x0D, shift = 0x10, escape = 0x1B, space = 0x20;
constexpr uint32_t left = 0x25, up = 0x26, right = 0x27, down = 0x28;
constexpr uint32_t separator = 0x6C, f12 = 0x7B;
// Letters 'A'..'Z' and digits '0'..'9' are their ASCII codes.
}  // namespace vk

// Bit 30 of the key data: the key was already down (auto-repeat).
constexpr uint32_t kKeyRepeatBit = 1u << 30;

enum class EventType {
    paint,        // the client area needs painting (after an invalidation)
    leftButtonDown,
    keyDown,
    keyUp,
    close,        // the user closed the window; the engine destroys it
    destroy,      // the window was destroyed (the engine posts quit)
    quit,         // ends the message loop; `code` is the exit code
};

struct Event {
    EventType type = EventType::paint;
    uint32_t key = 0;      // virtual-key number for keyDown / keyUp
    uint32_t keyData = 0;  // bit 30 set on auto-repeat
    int x = 0, y = 0;      // client coordinates for leftButtonDown
    bool shift = false;    // Shift held at leftButtonDown
    int code = 0;          // exit code for quit
};

enum class BoxIcon { stop, exclamation };

struct DisplayMetrics {
    int screenWidth = 0, screenHeight = 0;  // the display
    int frameWidth = 0, frameHeight = 0, captionHeight = 0;
};

struct WindowSpec {
    std::string titleCp932;
    int left = 0, top = 0;               // where the window is placed
    int clientWidth = 0, clientHeight = 0;  // window size plus the corrections
    int pictureWidth = 0, pictureHeight = 0;  // window size: the engine's picture
};

class Backend {
public:
    virtual ~Backend() = default;

    virtual DisplayMetrics metrics() = 0;

    // Creates (hidden) the one window. Returns false when it cannot be made.
    virtual bool createWindow(const WindowSpec& shape) = 0;
    virtual void showWindow() = 0;
    virtual bool windowExists() const = 0;
    // Destroys the window; a destroy event follows on the queue.
    virtual void destroyWindow() = 0;
    // Queues the quit event that ends the message loop.
    virtual void postQuit(int code) = 0;

    // The client area's picture, window size (pictureWidth x pictureHeight).
    // The engine paints into it; present() shows it (dark grey beyond it when
    // the window is larger).
    virtual Surface& clientPicture() = 0;
    virtual void present() = 0;
    // Marks the client area for painting: a paint event comes at the next
    // message turn. validate() drops a pending paint (after a direct paint).
    virtual void invalidate() = 0;
    virtual void validate() = 0;

    // Message queue. peekEvent tells whether an event waits without taking
    // it; nextEvent takes the first one (only after peekEvent said true).
    virtual bool peekEvent() = 0;
    virtual Event nextEvent() = 0;

    // Moving or resizing the window from a click in its client area.
    virtual void beginDrag(bool resizeFromLowerRight) = 0;

    // The milliseconds clock and sleeping on it.
    virtual uint32_t tickCount() = 0;
    virtual void sleep(uint32_t ms) = 0;
    // Idle turn with nothing to do: may block until the next event or until
    // `deadlineTick` (the next change worth showing); default sleeps 1 ms.
    virtual void waitIdle(uint32_t deadlineTick) {
        (void)deadlineTick;
        sleep(1);
    }

    // Whether the window is the foreground (has input focus).
    virtual bool hasFocus() = 0;

    // Shows a message box (owned by the window while it exists) and also
    // writes "caption: text" to standard error. Texts are CP932.
    virtual void messageBox(std::string_view captionCp932, std::string_view textCp932,
                            BoxIcon icon) = 0;
};

}  // namespace qt::platform
