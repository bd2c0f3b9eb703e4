#include "demo_game.h"

#include <cstdio>
#include <filesystem>

namespace qt::e2e {

namespace fs = std::filesystem;

DemoGame::DemoGame() : ProgramFolder({"qRun", "qPre"}) {
    for (const auto& entry : fs::directory_iterator(QT_DEMO_DIR)) {
        const std::string ext = entry.path().extension();
        if (ext == ".txt" || ext == ".ini") fs::copy_file(entry.path(), file(entry.path().filename()));
    }
    runBuilt("make_assets", ".");
}

int DemoGame::playHeadless() {
    // Two seconds of play between the keys: every page is complete by then.
    std::string script;
    int ms = 0;
    for (const std::string& key : kPageKeys) script += std::to_string(ms += 2000) + " key " + (key == "Return" ? "enter" : key) + "\n";
    write("input.txt", script + std::to_string(ms + 2000) + " down z\n");
    fs::remove_all(file("pages"));
    fs::create_directory(file("pages"));
    return run("./qRun --headless --input input.txt --capture pages --trace trace.txt --until 60000");
}

bool inTextCells(int x, int y) {
    // basePos 32,300 with a line pitch of 40 for the 20-pixel font (glyphs
    // reach a pixel above the cell, the shadow one below it); a page holds
    // at most four lines. The prompt sits 80 left of and 24 above the lower
    // right corner of the 640 x 480 window.
    const bool bodyRow = x >= 30 && y >= 298 && y < 442 && (y - 298) % 40 < 24;
    return bodyRow || (x >= 556 && y >= 452);
}

std::string checksumOutsideText(const platform::Surface& picture) {
    uint64_t h = 14695981039346656037ull;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (inTextCells(x, y)) continue;
            const platform::ColorRef c = picture.pixel(x, y);
            for (int shift : {0, 8, 16}) h = (h ^ ((c >> shift) & 0xFF)) * 1099511628211ull;
        }
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return hex;
}

std::string firstDifference(const platform::Surface& a, const platform::Surface& b) {
    if (a.width() != b.width() || a.height() != b.height()) return "size";
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (!inTextCells(x, y) && a.pixel(x, y) != b.pixel(x, y)) return std::to_string(x) + "," + std::to_string(y);
        }
    }
    return "";
}

}  // namespace qt::e2e
