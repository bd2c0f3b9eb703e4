#pragma once
// The picture the window shows, built at the drawable area's resolution:
// the presentation screen (screen 0, window size) enlarged by the layout,
// the page's body text drawn on top at the enlarged size, so that it stays
// sharp, and dark grey bars around it. In scale mode 0 it is the window-size
// picture of old, pixel for pixel.
//
// Body text is kept as lines until something overwrites screen 0 (then the
// page is gone) or the scenario draws on screen 0 itself (then the lines
// are drawn into it first, at window size, as they would always have been).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/output_layout.h"
#include "engine/platform/pixels/surface.h"

namespace qt::engine {

struct Engine;

struct PageLine {
    std::string textCp932;
    int64_t x = 0, y = 0;  // window pixels, as the writer had them
};

class OutputPicture {
public:
    const OutputLayout& layout() const { return layout_; }
    const std::vector<PageLine>& lines() const { return lines_; }

    // Takes up the drawable size and fullscreen state last reported; a new
    // layout makes every picture anew at the next paint.
    void update(Engine& engine);

    // A body-text line, drawn at once onto the enlarged picture.
    void addLine(Engine& engine, std::string_view textCp932, int64_t x, int64_t y);
    // Screen 0 was overwritten as a whole: the page's text went with it.
    void presentationReplaced();
    // The scenario is about to draw on screen 0 itself.
    void beforeDrawingOnPresentation(Engine& engine);

    // Brings the client picture up to date and hands it to the backend:
    // all of it when `whole`, else what changed.
    void paint(Engine& engine, bool whole);
    // The prompt was drawn onto the client picture in this rectangle; it
    // is shown now and goes with the next paint.
    void promptDrawn(Engine& engine, int x, int y, int width, int height);

private:
    struct Rect {
        int x = 0, y = 0, width = 0, height = 0;
        bool empty() const { return width <= 0 || height <= 0; }
        void add(const Rect& r);
        Rect clippedTo(int w, int h) const;
    };
    void drawLine(Engine& engine, const PageLine& line);

    OutputLayout layout_;
    bool sized_ = false;         // the surfaces have the layout's sizes
    platform::Surface picture_;  // screen 0 enlarged, with the text
    std::vector<PageLine> lines_;
    bool rebuild_ = true;
    Rect changed_;  // in picture_ coordinates
    Rect prompt_;   // in client coordinates
    bool wholeNext_ = false;
};

}  // namespace qt::engine
