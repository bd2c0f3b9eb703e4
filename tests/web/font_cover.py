#!/usr/bin/env python3
"""font_cover.py SITE TEXT_FILE: prints the characters of TEXT_FILE (UTF-8)
that a font packed into SITE/game.data lacks, "font: characters" a line;
exit status 1 when there are any. Blanks and line ends are not looked at."""
import io
import json
import re
import sys

from fontTools.ttLib import TTFont

site, text_file = sys.argv[1:3]
loader = open(site + '/game.js', encoding='utf-8').read()
files = json.loads(re.search(r'"files":\s*(\[.*?\])', loader, re.S).group(1))
data = open(site + '/game.data', 'rb').read()
wanted = {c for c in open(text_file, encoding='utf-8').read() if not c.isspace()}
missing = 0
for f in files:
    if not f['filename'].startswith('/game/fonts/') or not f['filename'].lower().endswith(('.ttf', '.otf')):
        continue  # the licences beside them
    cmap = TTFont(io.BytesIO(data[f['start']:f['end']])).getBestCmap()
    lacking = ''.join(sorted(c for c in wanted if ord(c) not in cmap))
    if lacking:
        print('%s: %s' % (f['filename'], lacking))
        missing = 1
sys.exit(missing)
