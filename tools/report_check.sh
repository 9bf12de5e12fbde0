#!/usr/bin/env bash
# Renders the full code list to PDF with cpvquery --pdf, turns pages 1, 2 and the last into PNGs to
# look at, and prints where the title, the heads, the rule and the first row landed on page 1, next
# to the millimetres they were designed at.
#
#   tools/report_check.sh [BUILD_DIR [OUT_DIR]]      (defaults: build, out/report-check)
#
# Needs poppler-utils (pdftoppm, pdftotext, pdfinfo) and python3.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-out/report-check}
cpvquery=$build/tools/cpvquery
[ -x "$cpvquery" ] || { echo "report_check: $cpvquery not found; build the cpvquery target first" >&2; exit 1; }
mkdir -p "$out"

pdf=$out/list.pdf
"$cpvquery" --pdf "$pdf"
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')

# Pictures at 96 pixels to the inch, as the preview shows them at 100 %.
pdftoppm -png -r 96 -f 1 -l 2 "$pdf" "$out/page"
pdftoppm -png -r 96 -f "$pages" -l "$pages" "$pdf" "$out/page"
echo "pictures: $(ls "$out"/page-*.png | tr '\n' ' ')"

# Words of page 1 with their boxes, in points from the top-left corner.
pdftotext -bbox -f 1 -l 1 "$pdf" "$out/page1-words.html"
# The band of page 1 around the rule, at 600 pixels to the inch, as a plain grey map.
rule_top_px=550
pdftoppm -gray -r 600 -f 1 -l 1 -y "$rule_top_px" -H 150 -W 4961 "$pdf" "$out/rule"

python3 - "$out/page1-words.html" "$out"/rule*.pgm "$rule_top_px" "$pages" <<'EOF'
import re
import sys

words_file, rule_file, rule_top_px, pages = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
MM_PER_POINT = 25.4 / 72
MM_PER_PIXEL = 25.4 / 600

words = [(float(x0), float(y0), float(x1), float(y1), text)
         for x0, y0, x1, y1, text in re.findall(
             r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>',
             open(words_file, encoding="utf-8").read())]

def word(text, nth=0):
    found = [w for w in words if w[4] == text]
    if len(found) <= nth:
        sys.exit(f"report_check: '{text}' not found on page 1")
    return found[nth]

def read_pgm(path):
    data = open(path, "rb").read()
    fields = re.match(rb"P5\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    width, height = int(fields.group(1)), int(fields.group(2))
    pixels = data[fields.end():]
    return width, height, [pixels[row * width:(row + 1) * width] for row in range(height)]

width, height, rows = read_pgm(rule_file)
dark_rows = [i for i, row in enumerate(rows) if sum(1 for p in row if p < 128) > width // 2]
if not dark_rows:
    sys.exit("report_check: no rule found below the heads")
middle_row = rows[dark_rows[len(dark_rows) // 2]]
dark_columns = [i for i, p in enumerate(middle_row) if p < 128]

title_first, title_last = word("Liste"), word("Codes")
codes = sorted((w for w in words if re.fullmatch(r"\d{8}", w[4])), key=lambda w: w[1])
rule_middle = (rule_top_px + (dark_rows[0] + dark_rows[-1] + 1) / 2) * MM_PER_PIXEL

checks = [
    ("title box top", title_first[1] * MM_PER_POINT, 7.90),
    ("title centre", (title_first[0] + title_last[2]) / 2 * MM_PER_POINT, 3.90 + 100.70),
    ("heads top", word("Code")[1] * MM_PER_POINT, 21.78),
    ("head 'CPV Code' left", word("CPV", 1)[0] * MM_PER_POINT, 3.90 + 2.40),
    ("head 'Bezeichnung' left", word("Bezeichnung")[0] * MM_PER_POINT, 3.90 + 22.60),
    ("rule (middle of the stroke)", rule_middle, 26.38),
    ("rule thickness", len(dark_rows) * MM_PER_PIXEL, 25.4 / 72),
    ("rule left end", dark_columns[0] * MM_PER_PIXEL, 3.90 + 2.40),
    ("rule right end", (dark_columns[-1] + 1) * MM_PER_PIXEL, 3.90 + 175.20),
    ("first row text top", codes[0][1] * MM_PER_POINT, 30.46),
    ("first code left", codes[0][0] * MM_PER_POINT, 3.90 + 2.10),
    ("last row text top (below the region's end?)", codes[-1][1] * MM_PER_POINT, None),
]
print(f"{'page 1':<46}{'measured mm':>12}{'designed mm':>13}{'off':>8}")
for name, measured, designed in checks:
    if designed is None:
        print(f"{name:<46}{measured:>12.2f}{'< 292.20':>13}")
        continue
    print(f"{name:<46}{measured:>12.2f}{designed:>13.2f}{measured - designed:>8.2f}")
pitches = sorted({round((b[1] - a[1]) * MM_PER_POINT, 2) for a, b in zip(codes, codes[1:])})
print(f"row pitches on page 1 (mm): {', '.join(f'{p:.2f}' for p in pitches)}  (single line 5.08)")
print(f"rows on page 1: {len(codes)}   pages: {pages}")
EOF
