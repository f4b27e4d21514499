#!/usr/bin/env bash
# The layer check on a copy of the tree's sources: the copy as it is holds; each fault planted
# in it, one at a time, makes the check fail with the words that name it.
set -euo pipefail
source_root=$(realpath "${1:-$(dirname "$0")/../..}")
check=$source_root/tests/layers/check_layers.sh

copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
(cd "$source_root" &&
    find . \( -path './build*' -o -path './dist' -o -path './.*' -o -name node_modules \) -prune \
        -o -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) -print0 |
    xargs -0 cp --parents -t "$copy")

failures=0
if ! output=$(bash "$check" "$copy" 2>&1); then
    echo "the tree as it is fails the check:"
    echo "$output"
    exit 1
fi

# plant FILE LINE EXPECTED...: FILE, holding LINE, makes the check fail and say each EXPECTED.
plant() {
    local file=$1 line=$2 output expected
    shift 2
    mkdir -p "$copy/$(dirname "$file")"
    printf '%s\n' "$line" >"$copy/$file"
    if output=$(bash "$check" "$copy" 2>&1); then
        echo "FAIL: $file with '$line' passes the check"
        failures=$((failures + 1))
    else
        for expected in "$@"; do
            if [[ $output != *"$expected"* ]]; then
                echo "FAIL: $file with '$line': the check does not say \"$expected\""
                failures=$((failures + 1))
            fi
        done
        echo "planted $file: $line"
        sed 's/^/    /' <<<"$output"
    fi
    rm "$copy/$file"
}

plant commands/planted.h '#include "tools/vfdctl/commands.h"' \
    'commands/planted.h includes "tools/vfdctl/commands.h": tools/ is a layer above commands/'
plant link/planted.cpp '#include "web/page/browser_services.h"' \
    'link/planted.cpp includes "web/page/browser_services.h": web/ is a layer above link/'
plant adapters/qt/planted.h '#include "ui/main_window.h"' 'ui/ is a layer above adapters/'
plant settings/planted.h '#include <windows.h>' \
    'settings/planted.h includes <windows.h>: the core includes the standard library only'
plant settings/planted.h '#  include <emscripten.h>' \
    'settings/planted.h includes <emscripten.h>: the core includes the standard library only'
plant settings/planted.cpp '#include <unistd.h>' \
    'settings/planted.cpp includes <unistd.h>: the core includes the standard library only'
plant editor/planted.cpp '#include <QString>' \
    'editor/planted.cpp includes <QString>: the core includes the standard library only'
plant file/planted.cpp '#include <windows.h>' \
    'file/planted.cpp includes <windows.h>: the core includes the standard library only'
# glyphs/ includes udc/, which includes message/: a third edge closes the cycle.
plant message/planted.h '#include "glyphs/glyph_table.h"' \
    'the folders include each other in a cycle:' 'message/' 'glyphs/' 'udc/' 'message/planted.h'
plant extras/planted.cpp '#include "settings/settings_image.h"' \
    'extras holds sources (extras/planted.cpp) but has no layer'

((failures == 0)) && echo "every planted fault fails the check"
((failures == 0))
