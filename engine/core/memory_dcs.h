#pragma once
// The table of virtual screens, addressed by ID: -2 spare, -1 composition,
// 0 presentation (window size), 1 background, 2 foreground, 3..N user.
#include <cstdint>
#include <memory>
#include <utility>

#include "engine/platform/pixels/surface.h"
#include "engine/rules/engine_settings.h"

namespace qt::engine {

struct Engine;

// getScreenSize with this ID gives the size of the current screen.
inline constexpr int32_t kCurrentScreen = INT32_MIN;

class MemoryDCs {
public:
    // Builds every screen filled with `clearColor`. Fewer than two user
    // screens are corrected with a message; a table or screen that cannot be
    // made goes through errexit and leaves the table unbuilt.
    void create(Engine& engine, int32_t count, platform::ColorRef clearColor);

    // The screen of `id`, or null after reporting an ID out of range (or,
    // silently, when the table could not be built).
    platform::Surface* getDC(int32_t id);
    bool isValidId(int32_t id) const { return isValidScreenId(id, count_); }
    // Window size for ID 0, screen size for every other ID.
    std::pair<int32_t, int32_t> getScreenSize(int32_t id) const;
    platform::ColorRef getClearColor() const { return clearColor_; }

    // Fast-forward: the presentation screen becomes the stretched composition
    // screen when either of them is next used (getDC), and not at all when
    // it is covered whole first (presentationCovered).
    void restorePresentationLater() { restorePending_ = built_; }
    void presentationCovered() { restorePending_ = false; }

    int16_t count() const { return count_; }
    bool built() const { return built_; }

    int32_t curID = 2;
    // The image command loads each image here; the last one stays until the
    // next load replaces it.
    platform::Surface loading;

private:
    Engine* engine_ = nullptr;
    platform::Surface composition_;               // ID -1
    platform::Surface spare_;                     // ID -2
    std::unique_ptr<platform::Surface[]> table_;  // IDs 0..N
    int16_t count_ = 2;
    platform::ColorRef clearColor_ = 0xFF00FF;
    bool built_ = false;
    bool restorePending_ = false;
};

}  // namespace qt::engine
