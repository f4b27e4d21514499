#!/usr/bin/env bash
# Runs scripts/make_glyphs.py into the build folder and fails when its output differs from the
# committed glyphs/glyph_data.cpp. Skipped (77) where the font, pcf2bdf or the charmaps are
# not installed; scripts/setup.sh installs them.
set -euo pipefail
source_dir=$1 out_dir=$2
if [[ ! -f /usr/share/fonts/X11/misc/5x7.pcf.gz || ! -f /usr/share/i18n/charmaps/IBM437.gz ]] ||
    ! command -v pcf2bdf >/dev/null; then
    echo "xfonts-base, pcf2bdf or locales is not installed"
    exit 77
fi
mkdir -p "$out_dir"
python3 "$source_dir/scripts/make_glyphs.py" --output "$out_dir/glyph_data.cpp"
cmp "$source_dir/glyphs/glyph_data.cpp" "$out_dir/glyph_data.cpp"
