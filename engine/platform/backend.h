#pragma once
// The engine's window, raw input, clock and message boxes. The engine core
// owns the message queue and every rule of its order; a backend only reports
// what happened and shows what it is given. The engine never knows which
// backend runs.
//
// What a new backend supplies:
// - metrics(): the display's size and the frame sizes the window is centred by;
// - createWindow() (hidden), showWindow() (and take the input focus),
//   destroyWindow(), setTitle(): the one window;
// - present(picture): the picture at the client area's top left, dark grey
//   (64, 64, 64) beyond it; presentPart() may show only a changed rectangle;
// - pollInput(sink): everything that came in since the last call, in the
//   order it came, as virtual-key numbers (game-controller buttons too),
//   client coordinates, focus, close requests and the drawable size (when it
//   is not the client size asked for, and on every change); a key or button
//   still held is pressed again for auto-repeat;
// - setFullscreen(): borderless fullscreen on the current display and back
//   to the window as it was, answered by sizeChanged and fullscreenChanged;
// - takeClicks(): left clicks reported as press, moves and release instead
//   of starting a move at once;
// - tickCount(), sleep() and waitIdle(): a millisecond clock; waitIdle may
//   block until input may have come or the deadline is reached;
// - messageBox(): writes "caption: text" to standard error, then shows the
//   box the engine drew (when it could) and returns when it is closed: Enter,
//   Space, Escape, closing it, or a click on its OK button;
// - beginDrag(): moves or resizes the window after a click, unless the
//   window system already does.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/platform/pixels/surface.h"

namespace qt::platform {

// Windows virtual-key numbers the engine uses.
namespace vk {
constexpr uint32_t back = 0x08, enter = 0x0D, shift = 0x10, alt = 0x12, escape = 0x1B, space = 0x20;
constexpr uint32_t left = 0x25, up = 0x26, right = 0x27, down = 0x28;
constexpr uint32_t separator = 0x6C, f5 = 0x74, f11 = 0x7A, f12 = 0x7B;
// Game-controller buttons as Windows numbers them: A, B and Back (View).
constexpr uint32_t padA = 0xC3, padB = 0xC4, padBack = 0xD0;
// Letters 'A'..'Z' and digits '0'..'9' are their ASCII codes.
}  // namespace vk

enum class BoxIcon { stop, exclamation };

// A message box as the engine drew it with its own fonts, so that it reads
// the same in any locale and without the window system's fonts.
struct BoxPicture {
    Surface picture;
    int okX = 0, okY = 0, okWidth = 0, okHeight = 0;  // the OK button in the picture
};

struct DisplayMetrics {
    int screenWidth = 0, screenHeight = 0;  // the display
    int frameWidth = 0, frameHeight = 0, captionHeight = 0;
};

struct WindowSpec {
    std::string titleCp932;
    int left = 0, top = 0;                    // where the window is placed
    int clientWidth = 0, clientHeight = 0;    // window size plus the corrections
    int pictureWidth = 0, pictureHeight = 0;  // window size: the engine's picture
};

// Where a backend reports raw input.
class InputSink {
public:
    // Pressed again while held: auto-repeat.
    virtual void keyPressed(uint32_t virtualKey) = 0;
    virtual void keyReleased(uint32_t virtualKey) = 0;
    virtual void leftButtonPressed(int x, int y, bool shift) = 0;
    // The pointer moved with the left button held (only while clicks are
    // taken, see Backend::takeClicks).
    virtual void pointerMoved(int x, int y) = 0;
    // A button let go over the client area.
    virtual void leftButtonReleased(int x, int y) = 0;
    virtual void rightButtonReleased(int x, int y) = 0;
    // Wheel steps towards the user ("down") positive, away negative.
    virtual void wheelTurned(int stepsDown) = 0;
    virtual void focusChanged(bool gained) = 0;
    virtual void closeRequested() = 0;
    // The client area was uncovered and must be painted again.
    virtual void exposed() = 0;
    // The drawable area in pixels: the client size, or larger on a high-DPI
    // display, or the display in fullscreen.
    virtual void sizeChanged(int drawableWidth, int drawableHeight) = 0;
    virtual void fullscreenChanged(bool fullscreen) = 0;

protected:
    ~InputSink() = default;
};

class Backend {
public:
    virtual ~Backend() = default;

    virtual DisplayMetrics metrics() = 0;

    // Creates (hidden) the one window. Returns false when it cannot be made.
    virtual bool createWindow(const WindowSpec& shape) = 0;
    virtual void showWindow() = 0;
    virtual void destroyWindow() = 0;

    virtual void present(const Surface& picture) = 0;
    // Only the rectangle of `picture` changed since the last present.
    virtual void presentPart(const Surface& picture, int x, int y, int width, int height) {
        (void)x, (void)y, (void)width, (void)height;
        present(picture);
    }

    // Borderless fullscreen on the display the window is on, or back to the
    // window's own size and place.
    virtual void setFullscreen(bool on) { (void)on; }
    // On: a left press without Shift no longer moves the window at once;
    // press, moves and release are reported and the engine calls
    // beginDrag(false) once the pointer has moved.
    virtual void takeClicks(bool on) { (void)on; }
    // A new title for the window made before.
    virtual void setTitle(std::string_view titleCp932) { (void)titleCp932; }

    virtual void pollInput(InputSink& sink) = 0;

    // Moves (or resizes) the window with the pointer, until the button is let go.
    virtual void beginDrag(bool resizeFromLowerRight) = 0;

    virtual uint32_t tickCount() = 0;
    virtual void sleep(uint32_t ms) = 0;
    // Called when nothing waits in the engine's queue: may block until input
    // may have come or until `deadlineTick` (the next change worth showing).
    virtual void waitIdle(uint32_t deadlineTick) {
        (void)deadlineTick;
        sleep(1);
    }

    // Whether boxes are shown to somebody (a picture is then worth drawing).
    virtual bool showsMessageBoxes() const { return true; }
    // Texts are CP932. Without a picture the report on standard error is all.
    virtual void messageBox(std::string_view captionCp932, std::string_view textCp932, BoxIcon icon,
                            const BoxPicture* drawn) = 0;
};

}  // namespace qt::platform
