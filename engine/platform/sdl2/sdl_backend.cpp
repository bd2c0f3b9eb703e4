// The desktop backend on SDL2: one window presented through a software
// framebuffer (no GL: under a plain X server a GL renderer costs a hundred
// megabytes and several threads).
#include <SDL.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "common/report.h"
#include "engine/platform/leak_check.h"
#include "engine/platform/platform_messages.h"
#include "engine/platform/sdl2/sdl_backend.h"
#include "engine/platform/sdl2/sdl_keys.h"
#include "engine/platform/sdl2/x11_errors.h"
#include "engine/platform/sdl2/x11_move.h"

namespace qt::platform {

namespace {

constexpr uint8_t kGrey = 64;

constexpr uint32_t kFirstRepeatMs = 500, kRepeatMs = 33;  // held controller buttons
constexpr uint32_t kPadPollMs = 8;                        // SDL reads controllers only when asked

struct HitTestState {
    bool clicks = false;  // presses come to the engine, which starts the move
    bool fullscreen = false;
    uint32_t pressEvent = 0;  // our event for a left press, in the queue's order
};

// Dragging anywhere moves the window; with Shift it resizes from the lower
// right, as the click handler of the engine asks on Windows. Taken clicks
// are passed on from here: after a move the manager had the release, and
// SDL, still seeing the button down, would drop the next press.
SDL_HitTestResult hitTest(SDL_Window*, const SDL_Point* area, void* data) {
    const auto* state = static_cast<const HitTestState*>(data);
    if (SDL_GetModState() & KMOD_SHIFT) {
        return state->fullscreen ? SDL_HITTEST_NORMAL : SDL_HITTEST_RESIZE_BOTTOMRIGHT;
    }
    if (state->clicks && state->pressEvent != 0) {
        SDL_Event e{};
        e.type = state->pressEvent;
        e.user.code = area->x;
        e.user.data1 = reinterpret_cast<void*>(static_cast<intptr_t>(area->y));
        SDL_PushEvent(&e);
    }
    return state->clicks || state->fullscreen ? SDL_HITTEST_NORMAL : SDL_HITTEST_DRAGGABLE;
}

uint32_t padKey(uint8_t button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_A: return vk::padA;
        case SDL_CONTROLLER_BUTTON_B: return vk::padB;
        case SDL_CONTROLLER_BUTTON_BACK: return vk::padBack;
        default: return 0;
    }
}

// The rectangle of `picture` into the window, as it lies.
void showPart(SDL_Window* window, const Surface& picture, int x, int y, int w, int h) {
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (!target) return;
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min({x + w, picture.width(), target->w}), y1 = std::min({y + h, picture.height(), target->h});
    if (x1 <= x0 || y1 <= y0) return;
    const Uint32 f = target->format->format;
    if (f == SDL_PIXELFORMAT_RGB888 || f == SDL_PIXELFORMAT_ARGB8888) {
        if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return;
        for (int row = y0; row < y1; ++row)
            std::memcpy(static_cast<uint8_t*>(target->pixels) + static_cast<ptrdiff_t>(row) * target->pitch + x0 * 4,
                        picture.bits() + (static_cast<size_t>(row) * picture.width() + x0) * 4,
                        static_cast<size_t>(x1 - x0) * 4);
        if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    } else {
        SDL_Surface* view = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(picture.bits()), picture.width(),
                                                               picture.height(), 32, picture.width() * 4,
                                                               SDL_PIXELFORMAT_RGB888);
        if (!view) return;
        SDL_Rect area{x0, y0, x1 - x0, y1 - y0};
        SDL_BlitSurface(view, &area, target, &area);
        SDL_FreeSurface(view);
    }
    const SDL_Rect changed{x0, y0, x1 - x0, y1 - y0};
    SDL_UpdateWindowSurfaceRects(window, &changed, 1);
}

// Sets an environment variable for the span of SDL's start-up only, so
// that a restarted engine and anything it starts see the user's own.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) { set_ = setenv(name, value, 1) == 0; }
    ~ScopedEnv() {
        if (set_) unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    bool set_ = false;
};

// Starts SDL's video without two costly detours the engine has no use for;
// they took half of the time from the process start to the shown window.
int initVideoQuickly() {
    std::optional<ScopedEnv> compose, bus;
    // The engine reads keys, never text: the compose table that X's input
    // method parses at start-up (thousands of lines) is left empty.
    if (!SDL_getenv("XCOMPOSEFILE")) compose.emplace("XCOMPOSEFILE", "/dev/null");
    // With no session bus to be found, D-Bus would fork to launch one, a
    // daemon outliving the engine, for input methods and screen-saver
    // requests the engine does not make. An address of no known kind just
    // fails (an empty one would still launch).
    if (!SDL_getenv("DBUS_SESSION_BUS_ADDRESS")) {
        const char* runtime = SDL_getenv("XDG_RUNTIME_DIR");
        const std::string userBus = runtime ? std::string(runtime) + "/bus" : std::string();
        if (userBus.empty() || access(userBus.c_str(), F_OK) != 0) bus.emplace("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    }
    return SDL_InitSubSystem(SDL_INIT_VIDEO);
}

// The picture at the window's top left, dark grey beyond it.
void showPicture(SDL_Window* window, const Surface& picture) {
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (!target) return;
    const int pw = std::min(picture.width(), target->w), ph = std::min(picture.height(), target->h);
    const Uint32 grey = SDL_MapRGB(target->format, kGrey, kGrey, kGrey);
    if (target->w > pw) {
        SDL_Rect right{pw, 0, target->w - pw, target->h};
        SDL_FillRect(target, &right, grey);
    }
    if (target->h > ph) {
        SDL_Rect below{0, ph, pw, target->h - ph};
        SDL_FillRect(target, &below, grey);
    }
    const Uint32 f = target->format->format;
    if ((f == SDL_PIXELFORMAT_RGB888 || f == SDL_PIXELFORMAT_ARGB8888) && pw > 0 && ph > 0) {
        // Our pixels are already laid out as the framebuffer's.
        if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return;
        for (int row = 0; row < ph; ++row)
            std::memcpy(static_cast<uint8_t*>(target->pixels) + static_cast<ptrdiff_t>(row) * target->pitch,
                        picture.bits() + static_cast<size_t>(row) * picture.width() * 4, static_cast<size_t>(pw) * 4);
        if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    } else if (pw > 0 && ph > 0) {
        SDL_Surface* view = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(picture.bits()), picture.width(),
                                                               picture.height(), 32, picture.width() * 4,
                                                               SDL_PIXELFORMAT_RGB888);
        if (view) {
            SDL_Rect area{0, 0, pw, ph};
            SDL_BlitSurface(view, &area, target, &area);
            SDL_FreeSurface(view);
        }
    }
    SDL_UpdateWindowSurface(window);
}

class SdlBackend : public Backend {
public:
    explicit SdlBackend(const SdlOptions& options) : options_(options) {
        const Uint32 first = SDL_RegisterEvents(1);
        if (first != static_cast<Uint32>(-1)) hit_.pressEvent = first;
    }
    ~SdlBackend() override {
        for (SDL_GameController* pad : pads_) SDL_GameControllerClose(pad);
        if (SDL_WasInit(SDL_INIT_GAMECONTROLLER)) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        if (window_) SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    DisplayMetrics metrics() override {
        DisplayMetrics m;
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
            m.screenWidth = mode.w;
            m.screenHeight = mode.h;
        }
        m.frameWidth = kFrame;
        m.frameHeight = kFrame;
        m.captionHeight = kCaption;
        return m;
    }

    bool createWindow(const WindowSpec& shape) override {
        if (window_) return false;
        // The engine places the outer frame; SDL places the client area.
        const int64_t x = int64_t{shape.left} + kFrame, y = int64_t{shape.top} + kFrame + kCaption;
        window_ = SDL_CreateWindow(cp932ToUtf8(shape.titleCp932).c_str(), clampInt(x), clampInt(y),
                                   std::clamp(shape.clientWidth, 1, Surface::kMaxSide),
                                   std::clamp(shape.clientHeight, 1, Surface::kMaxSide),
                                   SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
        if (!window_) return false;
        SDL_SetWindowHitTest(window_, hitTest, &hit_);
        SDL_StopTextInput();
        int w = 0, h = 0;
        drawableSize(w, h);
        sizeDue_ = w != shape.clientWidth || h != shape.clientHeight;  // a high-DPI display
        return true;
    }

    void showWindow() override {
        if (!window_) return;
        SDL_ShowWindow(window_);
        SDL_RaiseWindow(window_);
        // Without a window manager nobody else hands out the focus.
        SDL_SetWindowInputFocus(window_);
    }

    void destroyWindow() override {
        if (!window_) return;
        SDL_DestroyWindow(window_);
        window_ = nullptr;
    }

    void present(const Surface& picture) override {
        if (!window_) return;
        showPicture(window_, picture);
        shownSurface_ = SDL_GetWindowSurface(window_);
    }

    void setTitle(std::string_view titleCp932) override {
        if (window_) SDL_SetWindowTitle(window_, cp932ToUtf8(titleCp932).c_str());
    }

    void presentPart(const Surface& picture, int x, int y, int width, int height) override {
        if (!window_) return;
        // A surface made anew since (a new size) has nothing of the picture yet.
        if (SDL_GetWindowSurface(window_) != shownSurface_) {
            present(picture);
            return;
        }
        showPart(window_, picture, x, y, width, height);
    }

    void setFullscreen(bool on) override {
        if (!window_) return;
        SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        hit_.fullscreen = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0 || on;
        sizeDue_ = true;
    }

    void takeClicks(bool on) override { hit_.clicks = on; }

    // Without clicks taken the hit test has already started the move or resize.
    void beginDrag(bool resize) override {
        if (window_ && hit_.clicks && !resize && !hit_.fullscreen) startWindowMove(window_, pressX_, pressY_);
    }

    uint32_t tickCount() override { return SDL_GetTicks(); }
    void sleep(uint32_t ms) override { SDL_Delay(ms); }

    void waitIdle(uint32_t deadlineTick) override {
        if (heldPad_ != 0 && static_cast<int32_t>(nextPadRepeat_ - deadlineTick) < 0) deadlineTick = nextPadRepeat_;
        if (!pads_.empty()) {
            // SDL's own wait would poll every millisecond while a controller
            // is there; a few milliseconds more do for a button.
            const int32_t left = static_cast<int32_t>(deadlineTick - SDL_GetTicks());
            SDL_PumpEvents();
            if (SDL_PeepEvents(nullptr, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0)
                SDL_Delay(static_cast<uint32_t>(std::clamp<int32_t>(left, 1, kPadPollMs)));
            return;
        }
        const int32_t left = static_cast<int32_t>(deadlineTick - SDL_GetTicks());
        if (left <= 1) {
            SDL_Delay(1);
            return;
        }
        // Blocks in the window system until an event arrives or time is up;
        // one that came since the engine last looked ends the wait at once.
        SDL_WaitEventTimeout(nullptr, left);
    }

    bool showsMessageBoxes() const override { return options_.messageBoxes; }

    void messageBox(std::string_view captionCp932, std::string_view textCp932, BoxIcon,
                    const BoxPicture* drawn) override {
        reportToStderr(captionCp932, textCp932);
        if (!options_.messageBoxes || drawn == nullptr || !drawn->picture.valid()) return;
        showBox(cp932ToUtf8(captionCp932), *drawn);
    }

    // Input for a window that is gone is the queue's to drop.
    void pollInput(InputSink& sink) override {
        SDL_Event s;
        while (SDL_PollEvent(&s)) {
            switch (s.type) {
                case SDL_QUIT:  // a signal: end as if the window were closed
                    sink.closeRequested();
                    break;
                case SDL_WINDOWEVENT:
                    switch (s.window.event) {
                        case SDL_WINDOWEVENT_CLOSE: sink.closeRequested(); break;
                        case SDL_WINDOWEVENT_EXPOSED: sink.exposed(); break;
                        case SDL_WINDOWEVENT_SIZE_CHANGED: sizeDue_ = true; break;
                        case SDL_WINDOWEVENT_FOCUS_GAINED: sink.focusChanged(true); break;
                        case SDL_WINDOWEVENT_FOCUS_LOST: sink.focusChanged(false); break;
                        default: break;
                    }
                    break;
                case SDL_KEYDOWN:
                case SDL_KEYUP: {
                    const uint32_t key = virtualKey(s.key.keysym.sym);
                    if (key == 0) break;
                    if (s.type == SDL_KEYDOWN) {
                        sink.keyPressed(key);
                    } else {
                        sink.keyReleased(key);
                    }
                    break;
                }
                case SDL_MOUSEBUTTONDOWN:
                    if (s.button.button != SDL_BUTTON_LEFT || (hit_.clicks && hit_.pressEvent != 0)) break;
                    sink.leftButtonPressed(s.button.x, s.button.y, (SDL_GetModState() & KMOD_SHIFT) != 0);
                    break;
                case SDL_MOUSEMOTION:
                    if (hit_.clicks && (s.motion.state & SDL_BUTTON_LMASK)) sink.pointerMoved(s.motion.x, s.motion.y);
                    break;
                case SDL_MOUSEBUTTONUP:
                    if (s.button.button == SDL_BUTTON_LEFT) sink.leftButtonReleased(s.button.x, s.button.y);
                    if (s.button.button == SDL_BUTTON_RIGHT) sink.rightButtonReleased(s.button.x, s.button.y);
                    break;
                case SDL_MOUSEWHEEL: {
                    const int away = s.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -s.wheel.y : s.wheel.y;
                    if (away != 0) sink.wheelTurned(-away);
                    break;
                }
                case SDL_CONTROLLERDEVICEADDED:
                    if (SDL_GameController* pad = SDL_GameControllerOpen(s.cdevice.which)) pads_.push_back(pad);
                    break;
                case SDL_CONTROLLERDEVICEREMOVED:
                    for (auto it = pads_.begin(); it != pads_.end(); ++it) {
                        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(*it)) == s.cdevice.which) {
                            SDL_GameControllerClose(*it);
                            pads_.erase(it);
                            heldPad_ = 0;
                            break;
                        }
                    }
                    break;
                case SDL_CONTROLLERBUTTONDOWN:
                case SDL_CONTROLLERBUTTONUP: {
                    const uint32_t key = padKey(s.cbutton.button);
                    if (key == 0) break;
                    if (s.type == SDL_CONTROLLERBUTTONDOWN) {
                        sink.keyPressed(key);
                        heldPad_ = key;
                        nextPadRepeat_ = SDL_GetTicks() + kFirstRepeatMs;
                    } else {
                        if (heldPad_ == key) heldPad_ = 0;
                        sink.keyReleased(key);
                    }
                    break;
                }
                default:
                    if (s.type == hit_.pressEvent && hit_.pressEvent != 0) {
                        const int x = s.user.code, y = static_cast<int>(reinterpret_cast<intptr_t>(s.user.data1));
                        if (window_) {
                            SDL_GetWindowPosition(window_, &pressX_, &pressY_);
                            pressX_ += x;
                            pressY_ += y;
                        }
                        sink.leftButtonPressed(x, y, false);
                    }
                    break;
            }
        }
        // A held button repeats as a held key does.
        for (uint32_t now = SDL_GetTicks(); heldPad_ != 0 && static_cast<int32_t>(now - nextPadRepeat_) >= 0;) {
            sink.keyPressed(heldPad_);
            nextPadRepeat_ = now + kRepeatMs;
        }
        if (sizeDue_ && window_) {
            sizeDue_ = false;
            int w = 0, h = 0;
            drawableSize(w, h);
            sink.sizeChanged(w, h);
            hit_.fullscreen = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
                              SDL_WINDOW_FULLSCREEN_DESKTOP;
            sink.fullscreenChanged(hit_.fullscreen);
        }
    }

private:
    // The box in a window of its own, modal for the engine's: the window
    // system's own boxes need its core fonts and show Japanese as garbage
    // without them. What comes for other windows meanwhile waits its turn.
    void showBox(const std::string& caption, const BoxPicture& box) {
        const Surface& picture = box.picture;
        int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
        if (window_) {
            int wx = 0, wy = 0, ww = 0, wh = 0;
            SDL_GetWindowPosition(window_, &wx, &wy);
            SDL_GetWindowSize(window_, &ww, &wh);
            x = wx + (ww - picture.width()) / 2;
            y = wy + (wh - picture.height()) / 2;
        }
        SDL_Window* boxWindow =
            SDL_CreateWindow(caption.c_str(), x, y, picture.width(), picture.height(), SDL_WINDOW_HIDDEN);
        if (!boxWindow) return;
        if (window_) SDL_SetWindowModalFor(boxWindow, window_);
        SDL_ShowWindow(boxWindow);
        SDL_RaiseWindow(boxWindow);
        SDL_SetWindowInputFocus(boxWindow);
        showPicture(boxWindow, picture);
        const Uint32 id = SDL_GetWindowID(boxWindow);
        std::vector<SDL_Event> others;
        SDL_Keycode pressed = 0;  // a key closes the box when released, so no
        bool clickOnOk = false;   // half of a key press reaches the engine
        auto onOk = [&](int px, int py) {
            return px >= box.okX && px < box.okX + box.okWidth && py >= box.okY && py < box.okY + box.okHeight;
        };
        for (bool open = true; open;) {
            SDL_Event e;
            if (!SDL_WaitEvent(&e)) break;
            const Uint32 target = e.type == SDL_WINDOWEVENT                                      ? e.window.windowID
                                  : e.type == SDL_KEYDOWN || e.type == SDL_KEYUP                 ? e.key.windowID
                                  : e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP ? e.button.windowID
                                  : e.type == SDL_MOUSEMOTION                                    ? e.motion.windowID
                                                                                                 : 0;
            if (target != id) {
                others.push_back(e);
                if (e.type == SDL_QUIT) open = false;  // a signal ends the box too
                continue;
            }
            const SDL_Keycode key = e.key.keysym.sym;
            const bool closingKey = key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_SPACE ||
                                    key == SDLK_ESCAPE;
            switch (e.type) {
                case SDL_WINDOWEVENT:
                    if (e.window.event == SDL_WINDOWEVENT_CLOSE) open = false;
                    if (e.window.event == SDL_WINDOWEVENT_EXPOSED) showPicture(boxWindow, picture);
                    break;
                case SDL_KEYDOWN:
                    if (closingKey && !e.key.repeat) pressed = key;
                    break;
                case SDL_KEYUP:
                    if (closingKey && key == pressed) open = false;
                    break;
                case SDL_MOUSEBUTTONDOWN:
                    clickOnOk = e.button.button == SDL_BUTTON_LEFT && onOk(e.button.x, e.button.y);
                    break;
                case SDL_MOUSEBUTTONUP:
                    if (clickOnOk && e.button.button == SDL_BUTTON_LEFT && onOk(e.button.x, e.button.y)) open = false;
                    clickOnOk = false;
                    break;
                default: break;
            }
        }
        SDL_DestroyWindow(boxWindow);
        if (window_) {
            // The owner takes the focus back, as when a box of the system closes.
            SDL_RaiseWindow(window_);
            SDL_SetWindowInputFocus(window_);
        }
        for (SDL_Event& e : others) SDL_PushEvent(&e);
    }

    static constexpr int kFrame = 4;
    static constexpr int kCaption = 23;

    static int clampInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -16384, 16384)); }

    void drawableSize(int& w, int& h) const { SDL_GetWindowSizeInPixels(window_, &w, &h); }

    SdlOptions options_;
    SDL_Window* window_ = nullptr;
    HitTestState hit_;
    int pressX_ = 0, pressY_ = 0;  // the last left press, on the screen
    bool sizeDue_ = false;
    const SDL_Surface* shownSurface_ = nullptr;
    std::vector<SDL_GameController*> pads_;
    uint32_t heldPad_ = 0;  // the controller button that repeats, 0 for none
    uint32_t nextPadRepeat_ = 0;
};

}  // namespace

std::unique_ptr<Backend> createSdlBackend(const SdlOptions& options, std::string& error) {
    error.clear();
    useLeakCheckList();
    // Software framebuffer only; signals end the engine through its loop.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // A press the engine takes as a click may still become a window move,
    // which a grab of SDL's own would hold up.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // With no window system named, asking SDL only adds the complaints of
    // the libraries it tries to standard error.
    if (!SDL_getenv("DISPLAY") && !SDL_getenv("WAYLAND_DISPLAY") && !SDL_getenv("SDL_VIDEODRIVER")) {
        error = msg::noDisplay.utf8();
        return nullptr;
    }
    passOverMessagesToClosedWindows();
    // A machine without the X libraries (only the player build starts there)
    // is told which ones, not left with SDL's guess.
    auto sayMissing = [&error] {
        if (!SDL_getenv("DISPLAY")) return;
        const std::string missing = missingX11Libraries();
        if (!missing.empty()) error += std::string("; ") + msg::missingX11.utf8() + missing;
    };
    const int started = initVideoQuickly();
    if (started != 0) {
        error = msg::noDisplay.utf8();
        error += " (";
        error += SDL_GetError();
        error += ")";
        sayMissing();
        return nullptr;
    }
    // SDL falls back to drivers that show nothing; only take them on request.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (driver &&
        (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0 ||
         SDL_strcmp(driver, "evdev") == 0) &&
        !(asked && SDL_strcasecmp(asked, driver) == 0)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        error = msg::noDisplay.utf8();
        sayMissing();
        return nullptr;
    }
    // Controllers, plugged in now or later; a machine without any still plays.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    return std::make_unique<SdlBackend>(options);
}

std::unique_ptr<Backend> createSdlBackend(std::string& error) { return createSdlBackend(SdlOptions{}, error); }

}  // namespace qt::platform
