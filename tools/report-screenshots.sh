#!/bin/sh
# Screenshots of the report of every example, for the documentation: makes
# the reports, looks at them in headless Chromium as the browser test does
# (which fails on a page with a console error, an empty chart or a chart cut
# across printed pages), and writes
#   docs/reports/<example>.png   the whole page, 1400 px wide
#   docs/report.png              the charts of height, settlement and profiles
#                                of self_weight, shown in the README
# each reduced to 256 colours (pngquant) and held under 200 KB. Run it after
# changing what the charts or the page show, and look at the pictures.
# Usage: tools/report-screenshots.sh [BUILD_DIR]   (default: build)
set -eu
cd "$(dirname "$0")/.."
. ./.ci/need.sh
build="${1:-build}"

need chromium chromium
need chromedriver chromium-driver
need node nodejs
need pdfinfo poppler-utils
need xmllint libxml2-utils
need pngquant pngquant

cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j2 --target slurry1d report_samples
pages="$build/docs-report-pages"
rm -rf "$pages"
"$build/tests/report_samples" "$build/slurry1d" "$pages" examples/*.txt
SLURRY1D_REQUIRE_BROWSER=1 node tests/browser/report_pages.mjs "$pages"

# shrink SOURCE TARGET: the picture in 256 colours, refused above 200 KB.
shrink() {
  pngquant --force --strip --speed 1 --output "$2" -- "$1"
  size=$(wc -c <"$2")
  if [ "$size" -ge 204800 ]; then
    echo "$2: $size bytes, over 200 KB" >&2
    exit 1
  fi
  echo "$2: $((size / 1024)) KB"
}

mkdir -p docs/reports
rm -f docs/reports/*.png
for page in "$pages"/*/report.png; do
  shrink "$page" "docs/reports/$(basename "$(dirname "$page")").png"
done
shrink "$pages/self_weight/report-charts.png" docs/report.png
