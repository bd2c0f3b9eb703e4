#include "engine/platform/freetype/folder_fonts.h"

#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

#include <algorithm>
#include <filesystem>

#include "common/utf8.h"
#include "engine/platform/freetype/font_mapping.h"

namespace qt::platform {

namespace {

// The family names of the name table in Unicode records (the Japanese ones
// among them, as fontconfig knows them): "IPA Pゴシック" finds IPAPGothic.
void tableFamilies(FT_Face face, std::vector<std::string>& out) {
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i) {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, i, &name) != 0) continue;
        if (name.name_id != TT_NAME_ID_FONT_FAMILY && name.name_id != TT_NAME_ID_TYPOGRAPHIC_FAMILY) continue;
        const bool utf16 = name.platform_id == TT_PLATFORM_MICROSOFT || name.platform_id == TT_PLATFORM_APPLE_UNICODE;
        if (!utf16) continue;
        std::string text;
        for (FT_UInt k = 0; k + 1 < name.string_len; k += 2) {
            uint32_t cp = (uint32_t{name.string[k]} << 8) | name.string[k + 1];
            if (cp >= 0xD800 && cp < 0xDC00 && k + 3 < name.string_len) {
                const uint32_t low = (uint32_t{name.string[k + 2]} << 8) | name.string[k + 3];
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                k += 2;
            }
            appendUtf8(text, cp);
        }
        if (!text.empty() && std::find(out.begin(), out.end(), text) == out.end()) out.push_back(text);
    }
}

}  // namespace

FolderFonts::FolderFonts(FT_Library library, const std::string& folder) {
    if (!library) return;
    std::error_code ec;
    std::vector<std::string> files;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec)) files.push_back(it->path().string());
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
        long count = 1;
        for (long index = 0; index < count; ++index) {
            FT_Face face = nullptr;
            if (FT_New_Face(library, file.c_str(), index, &face) != 0) break;
            count = face->num_faces;
            Face f;
            f.where.file = file;
            f.where.index = static_cast<int>(index);
            if (face->family_name) f.families.emplace_back(face->family_name);
            tableFamilies(face, f.families);
            f.where.family = f.families.empty() ? std::string() : f.families.front();
            f.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
            f.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
            f.fixed = FT_IS_FIXED_WIDTH(face);
            f.japanese = FT_Get_Char_Index(face, 0x3042) != 0;  // あ
            FT_Done_Face(face);
            faces_.push_back(std::move(f));
        }
    }
}

const FolderFonts::Face* FolderFonts::byFamily(const std::string& family, bool bold, bool italic) const {
    const Face* any = nullptr;
    for (const Face& face : faces_) {
        const bool named = std::any_of(face.families.begin(), face.families.end(),
                                       [&](const std::string& f) { return sameFamily(f, family); });
        if (!named) continue;
        if (face.bold == bold && face.italic == italic) return &face;
        if (!any) any = &face;
    }
    return any;
}

bool FolderFonts::choose(const std::string& familyUtf8, bool bold, bool italic, bool monospace, FaceChoice& out) const {
    std::string family = mappedFamily(familyUtf8);
    if (const std::string_view generic = genericFamily(family); !generic.empty()) family = generic;
    // The full face first, the game's subset of it next.
    auto find = [&](const std::string& name) {
        const Face* f = byFamily(name, bold, italic);
        if (!f && !subsetFamily(name).empty()) f = byFamily(std::string(subsetFamily(name)), bold, italic);
        return f;
    };
    const Face* face = find(family);
    if (!face) face = find(std::string(genericFamily("")));
    for (int pass = monospace ? 0 : 1; pass < 3 && !face; ++pass)
        for (const Face& f : faces_)
            if ((pass == 0 && f.japanese && f.fixed) || (pass == 1 && f.japanese) || pass == 2) {
                face = &f;
                break;
            }
    if (!face) return false;
    out = face->where;
    return true;
}

}  // namespace qt::platform
