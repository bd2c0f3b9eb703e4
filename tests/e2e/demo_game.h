#pragma once
// The demo game laid out in a temporary folder the way scripts/demo ships it
// (the built qRun and qPre, the sources, settings, pictures and sounds), and
// its page pictures compared outside the text cells.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform/pixels/surface.h"
#include "support/program.h"

namespace qt::e2e {

using namespace qt::test;

class DemoGame : public ProgramFolder {
public:
    DemoGame();
    // The file-list conversion with the copied qPre.
    int convert() { return run("./qPre"); }
    // The play-through of kPageKeys, headless; pictures land in pages/.
    int playHeadless();
};

// The key pressed at each wait, in xdotool's names; after the last of them Z
// is held down, which runs through the remaining waits to the end command.
inline const std::vector<std::string> kPageKeys = {"space", "Return", "space", "Return", "space"};

// Text cells: the rows the body text is drawn in, and the flashing prompt.
bool inTextCells(int x, int y);
// FNV-1a of the colour of every pixel outside the text cells, in hex.
std::string checksumOutsideText(const platform::Surface& picture);
// "x,y" of the first pixel outside the text cells where the two differ
// (also a size difference); empty when none does.
std::string firstDifference(const platform::Surface& a, const platform::Surface& b);

}  // namespace qt::e2e
