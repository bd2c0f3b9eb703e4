#pragma once
// The faces of a game's own fonts folder, chosen without fontconfig: a game
// that ships its fonts draws with them on every machine.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

#include "engine/platform/freetype/face_choice.h"

namespace qt::platform {

class FolderFonts {
public:
    // Every face of every file in `folder` (names sorted bytewise) that
    // FreeType opens; none when the folder is missing.
    FolderFonts(FT_Library library, const std::string& folder);

    bool empty() const { return faces_.empty(); }

    // The face of the family named (Windows names through the face map;
    // an IPA family also by the name of its subset), the requested style
    // preferred; else the face an unknown name falls
    // back to; else the first face that shows Japanese (for `monospace`, a
    // fixed-pitch one first); else the first face.
    bool choose(const std::string& familyUtf8, bool bold, bool italic, bool monospace, FaceChoice& out) const;

private:
    struct Face {
        FaceChoice where;
        std::vector<std::string> families;  // every name the face gives itself
        bool bold = false, italic = false, fixed = false, japanese = false;
    };
    const Face* byFamily(const std::string& family, bool bold, bool italic) const;

    std::vector<Face> faces_;
};

}  // namespace qt::platform
