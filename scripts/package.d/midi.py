#!/usr/bin/python3
"""The TiMidity patches a game's MIDI files play, out of the machine's set.

midi.py OUT_TIMIDITY_FOLDER TIMIDITY_CFG MIDI_FILE...

Reads the programs (per channel; channel 10 is drums: its notes) of each
MIDI file, copies the patches TIMIDITY_CFG names for them into
OUT_TIMIDITY_FOLDER and writes a timidity.cfg there that names only those,
relative to itself (the player qRun reads timidity/timidity.cfg of its
folder). Prints how many patches it copied.
"""
import shutil
import sys
from pathlib import Path


def used(path):
    """{("bank", program)} and {("drumset", note)} the file plays."""
    data = Path(path).read_bytes()
    wanted = set()
    pos = 0
    while pos + 8 <= len(data):
        kind, size = data[pos : pos + 4], int.from_bytes(data[pos + 4 : pos + 8], "big")
        body = data[pos + 8 : pos + 8 + size]
        pos += 8 + size
        if kind != b"MTrk":
            continue
        program = {}  # channel -> program; 0 until changed
        i, status = 0, 0
        while i < len(body):
            while i < len(body) and body[i] & 0x80:  # delta time
                i += 1
            i += 1
            if i >= len(body):
                break
            if body[i] & 0x80:
                status = body[i]
                i += 1
            if status in (0xFF, 0xF0, 0xF7):  # meta (a type byte first) or sysex: length, data
                if status == 0xFF:
                    i += 1
                length = 0
                while i < len(body):
                    length = (length << 7) | (body[i] & 0x7F)
                    i += 1
                    if not body[i - 1] & 0x80:
                        break
                i += length
                status = 0
                continue
            kind, channel = status & 0xF0, status & 0x0F
            if kind in (0xC0, 0xD0):
                if kind == 0xC0 and i < len(body):
                    program[channel] = body[i]
                i += 1
                continue
            if kind == 0x90 and i + 1 < len(body) and body[i + 1] > 0:
                if channel == 9:
                    wanted.add(("drumset", body[i]))
                else:
                    wanted.add(("bank", program.get(channel, 0)))
            i += 2
    return wanted


def patches(cfg):
    """{("bank"|"drumset", number): (file, options)} of bank 0 and drumset 0."""
    found, section, dirs = {}, None, []
    for line in Path(cfg).read_text(errors="replace").splitlines():
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        if words[0] == "dir" and len(words) > 1:
            dirs.append(Path(words[1]))
        elif words[0] in ("bank", "drumset") and len(words) > 1:
            section = (words[0], words[1])
        elif words[0].isdigit() and len(words) > 1 and section and section[1] == "0":
            name = words[1] if words[1].endswith(".pat") else words[1] + ".pat"
            for d in dirs + [Path(cfg).parent]:
                if (d / name).is_file():
                    found[(section[0], int(words[0]))] = (d / name, name, " ".join(words[2:]))
                    break
    return found


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    out, available = Path(sys.argv[1]), patches(sys.argv[2])
    wanted = set()
    for path in sys.argv[3:]:
        wanted |= used(path)
    out.mkdir(parents=True, exist_ok=True)
    lines = {"bank": [], "drumset": []}
    copied = 0
    for key in sorted(wanted):
        if key not in available:
            continue
        source, name, options = available[key]
        (out / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(source, out / name)
        lines[key[0]].append(f" {key[1]}\t{name} {options}".rstrip())
        copied += 1
    with open(out / "timidity.cfg", "w") as cfg:
        cfg.write("# The patches this game's MIDI files play.\n")
        for section in ("bank", "drumset"):
            if lines[section]:
                cfg.write(f"\n{section} 0\n" + "\n".join(lines[section]) + "\n")
    print(copied)
    return 0


if __name__ == "__main__":
    sys.exit(main())
