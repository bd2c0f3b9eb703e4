#include "engine/platform/freetype/font_mapping.h"

namespace qt::platform {

namespace {

struct FaceAlias {
    const char* name;
    const char* family;
};

// clang-format off
constexpr FaceAlias kFaceMap[] = {
    {"ＭＳ Ｐゴシック", "IPAPGothic"},
    {"MS PGothic",      "IPAPGothic"},
    {"ＭＳ ゴシック",   "IPAGothic"},
    {"MS Gothic",       "IPAGothic"},
    {"ＭＳ 明朝",       "IPAMincho"},
    {"MS Mincho",       "IPAMincho"},
    {"ＭＳ Ｐ明朝",     "IPAPMincho"},
    {"MS PMincho",      "IPAPMincho"},
    {"MS UI Gothic",    "IPAPGothic"},
    {"メイリオ",        "IPAPGothic"},
    {"Meiryo",          "IPAPGothic"},
};

// What the IPA fonts' own fontconfig rules make of the generic names.
constexpr FaceAlias kGenericMap[] = {
    {"monospace",  "IPAGothic"},
    {"sans-serif", "IPAPGothic"},
    {"sans",       "IPAPGothic"},
    {"serif",      "IPAPMincho"},
    // An unknown name: what fontconfig picks for Japanese text.
    {"",           "IPAGothic"},
};

// The names scripts/package gives the IPA faces it cuts down to a game's
// characters: the IPA licence lets a changed font keep no IPA name.
constexpr FaceAlias kSubsetMap[] = {
    {"IPAGothic",  "qRun Gothic"},
    {"IPAPGothic", "qRun PGothic"},
    {"IPAMincho",  "qRun Mincho"},
    {"IPAPMincho", "qRun PMincho"},
};
// clang-format on

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool sameFamily(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && a[i] == ' ') ++i;
        while (j < b.size() && b[j] == ' ') ++j;
        if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
        if (folded(a[i]) != folded(b[j])) return false;
        ++i;
        ++j;
    }
}

std::string mappedFamily(std::string_view familyUtf8) {
    for (const FaceAlias& alias : kFaceMap)
        if (sameFamily(familyUtf8, alias.name)) return alias.family;
    return std::string(familyUtf8);
}

std::string_view genericFamily(std::string_view familyUtf8) {
    for (const FaceAlias& alias : kGenericMap)
        if (sameFamily(familyUtf8, alias.name)) return alias.family;
    return {};
}

std::string_view subsetFamily(std::string_view familyUtf8) {
    for (const FaceAlias& alias : kSubsetMap)
        if (sameFamily(familyUtf8, alias.name)) return alias.family;
    return {};
}

std::string fontMappingXml() {
    // Family names compare without regard to case and blanks in fontconfig,
    // so "MS PGothic" also finds "ＭＳ Ｐゴシック"'s half-width spelling variants.
    std::string xml =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
        "<fontconfig>\n"
        "  <dir>/usr/share/fonts</dir>\n"
        "  <dir>/usr/local/share/fonts</dir>\n";
    for (const FaceAlias& alias : kFaceMap) {
        xml += "  <match target=\"pattern\">\n    <test name=\"family\"><string>";
        xml += alias.name;
        xml += "</string></test>\n    <edit name=\"family\" mode=\"prepend\" binding=\"strong\"><string>";
        xml += alias.family;
        xml += "</string></edit>\n  </match>\n";
    }
    xml += "</fontconfig>\n";
    return xml;
}

}  // namespace qt::platform
