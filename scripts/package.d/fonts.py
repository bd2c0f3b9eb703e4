#!/usr/bin/python3
"""Cuts the IPA faces a game draws with down to the characters it shows.

fonts.py GAME_FOLDER OUT_FONTS_FOLDER FACE_MAP_SOURCE TEXT_FILE...

The faces: the body text's (qRun.ini [honbun] fontFamily, through the face
map), and IPAGothic for message boxes and the key-wait prompt. The
characters: those of the TEXT_FILEs (CP932 scenarios and settings, or UTF-8
message tables) and printable ASCII. The IPA licence lets a changed font
carry no IPA name, so each subset is renamed as the engine's face map
expects ("qRun PGothic" for IPAPGothic); the licence goes beside them.
Prints the files it wrote.
"""
import re
import sys
from pathlib import Path

from fontTools import subset
from fontTools.ttLib import TTFont

SYSTEM = {
    "IPAGothic": ("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf", "fonts-ipafont-gothic"),
    "IPAPGothic": ("/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf", "fonts-ipafont-gothic"),
    "IPAMincho": ("/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf", "fonts-ipafont-mincho"),
    "IPAPMincho": ("/usr/share/fonts/opentype/ipafont-mincho/ipamp.ttf", "fonts-ipafont-mincho"),
}
# What an unknown face name falls back to, as the engine does.
FALLBACK = "IPAGothic"


def table(source, name):
    """The {"a", "b"} pairs of one constexpr FaceAlias table of font_mapping.cpp."""
    block = re.search(name + r"\[\] = \{(.*?)\n\};", source, re.S)
    return re.findall(r'\{"([^"]*)",\s*"([^"]*)"\}', block.group(1))


def same_family(a, b):
    return a.replace(" ", "").lower() == b.replace(" ", "").lower()


def ini_value(text, section, key):
    current = None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and "]" in line:
            current = line[1 : line.index("]")].strip().lower()
        elif current == section and "=" in line and line.split("=", 1)[0].strip().lower() == key.lower():
            return line.split("=", 1)[1].strip()
    return None


def read_text(path):
    data = Path(path).read_bytes()
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("cp932", errors="ignore")


def main():
    if len(sys.argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    game, out, map_source = Path(sys.argv[1]), Path(sys.argv[2]), Path(sys.argv[3]).read_text()
    face_map = table(map_source, "kFaceMap")
    subset_names = dict(table(map_source, "kSubsetMap"))

    settings = read_text(game / "qRun.ini") if (game / "qRun.ini").exists() else ""
    wanted = ini_value(settings, "honbun", "fontFamily")
    if wanted is None:
        wanted = "ＭＳ Ｐゴシック"  # the engine's default
    family = next((ipa for name, ipa in face_map if same_family(name, wanted)), wanted)
    if family not in SYSTEM:
        family = next((f for f in SYSTEM if same_family(f, family)), FALLBACK)
    families = sorted({family, FALLBACK})

    characters = {chr(c) for c in range(0x20, 0x7F)}
    for path in sys.argv[4:]:
        characters.update(ch for ch in read_text(path) if ch >= " ")
    text = "".join(sorted(characters))

    out.mkdir(parents=True, exist_ok=True)
    packages = set()
    for fam in families:
        source, package = SYSTEM[fam]
        packages.add(package)
        new_family = subset_names[fam]
        options = subset.Options()
        options.name_IDs = ["*"]
        options.name_languages = ["*"]
        options.name_legacy = True
        options.notdef_outline = True
        options.hinting = True
        options.layout_features = ["*"]
        options.legacy_kern = True
        options.prune_unicode_ranges = False
        font = TTFont(source, lazy=False)
        subsetter = subset.Subsetter(options)
        subsetter.populate(text=text)
        subsetter.subset(font)
        compact = new_family.replace(" ", "")
        for record in font["name"].names:
            if record.nameID in (1, 16):
                record.string = new_family
            elif record.nameID == 4:
                record.string = new_family
            elif record.nameID == 6:
                record.string = compact + "-Regular"
            elif record.nameID == 3:
                record.string = compact + "-subset"
        target = out / (compact.lower() + ".ttf")
        font.save(str(target))
        print(target)
    for package in sorted(packages):
        licence = out / ("LICENSE-" + package + ".txt")
        licence.write_bytes(Path("/usr/share/doc", package, "copyright").read_bytes())
        print(licence)
    notes = out / "README-fonts.txt"
    notes.write_text(
        "These fonts are subsets of the IPA fonts (" + ", ".join(families) + ") holding only the\n"
        "characters this game shows, renamed as the IPA Font License requires for changed\n"
        "fonts; they are licensed under that licence (LICENSE-*.txt beside them).\n"
        "To use the original fonts instead, put ipag.ttf, ipagp.ttf, ipam.ttf or ipamp.ttf\n"
        "(https://moji.or.jp/ipafont/ or Debian's fonts-ipafont-gothic and\n"
        "fonts-ipafont-mincho) into this folder: the game prefers them to these subsets.\n",
        encoding="utf-8",
    )
    print(notes)
    return 0


if __name__ == "__main__":
    sys.exit(main())
