#include "engine/platform/freetype/system_fonts.h"

#include <fontconfig/fontconfig.h>

#include "engine/platform/freetype/font_mapping.h"

namespace qt::platform {

namespace {

// The system's configuration when there is one, the face map's rules on
// top; made at the first font that needs it.
FcConfig* systemConfig() {
    static FcConfig* config = [] {
        FcConfig* c = FcInitLoadConfig();
        if (!c) c = FcConfigCreate();
        if (c) {
            const std::string rules = fontMappingXml();
            FcConfigParseAndLoadFromMemory(c, reinterpret_cast<const FcChar8*>(rules.c_str()), FcFalse);
            FcConfigBuildFonts(c);
        }
        return c;
    }();
    return config;
}

bool suits(FcPattern* font, bool monospace) {
    if (monospace) {
        int spacing = FC_PROPORTIONAL;
        FcPatternGetInteger(font, FC_SPACING, 0, &spacing);
        if (spacing != FC_MONO && spacing != FC_DUAL) return false;
    }
    FcLangSet* langs = nullptr;
    if (FcPatternGetLangSet(font, FC_LANG, 0, &langs) != FcResultMatch) return false;
    return FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) != FcLangDifferentLang;
}

bool describe(FcPattern* font, FaceChoice& out) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) return false;
    out.file = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(font, FC_INDEX, 0, &out.index) != FcResultMatch) out.index = 0;
    FcChar8* family = nullptr;
    if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch)
        out.family = reinterpret_cast<const char*>(family);
    return true;
}

}  // namespace

bool chooseSystemFace(const std::string& familyUtf8, bool bold, bool italic, bool monospace, FaceChoice& out) {
    FcConfig* config = systemConfig();
    if (!config) return false;
    FcPattern* pattern = FcPatternCreate();
    if (!familyUtf8.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(familyUtf8.c_str()));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    if (monospace) FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    // The sorted list holds the fonts as they are, without the values a
    // match would copy in from the request.
    bool found = false;
    FcResult result = FcResultNoMatch;
    if (FcFontSet* sorted = FcFontSort(config, pattern, FcFalse, nullptr, &result)) {
        for (int i = 0; i < sorted->nfont && !found; ++i)
            if (suits(sorted->fonts[i], monospace)) found = describe(sorted->fonts[i], out);
        for (int i = 0; i < sorted->nfont && !found && monospace; ++i)
            if (suits(sorted->fonts[i], false)) found = describe(sorted->fonts[i], out);
        // No Japanese face at all: the best face there is.
        for (int i = 0; i < sorted->nfont && !found; ++i) found = describe(sorted->fonts[i], out);
        FcFontSetDestroy(sorted);
    }
    FcPatternDestroy(pattern);
    return found;
}

}  // namespace qt::platform
