#!/usr/bin/env bash
# Fails when a folder of the core includes a folder of a higher layer, when two folders of the
# values layer include each other, or when the core includes anything of Qt. The layers are
# described in README.md.
set -euo pipefail
cd "${1:-$(dirname "$0")/../..}"

declare -A layer=(
    [services]=1
    [settings]=2 [message]=2 [udc]=2 [glyphs]=2 [link]=2 [file]=2 [inspect]=2
    [editor]=3
    [commands]=4
    [adapters]=5 [ui]=6
)
declare -A uses=()
faults=0

for folder in services settings message udc glyphs link file inspect editor commands adapters; do
    while IFS=: read -r file included; do
        target=${included%%/*}
        [[ -n ${layer[$target]:-} ]] || continue
        if ((layer[$target] > layer[$folder])); then
            echo "$file includes $included: $target/ is a layer above $folder/"
            faults=$((faults + 1))
        fi
        [[ $target == "$folder" ]] || uses[$folder>$target]=$file
    done < <(grep -ro --include='*.h' --include='*.cpp' -E '^#include "[^"]+"' "$folder" |
             sed -E 's/:#include "(.*)"/:\1/')
done

for pair in "${!uses[@]}"; do
    from=${pair%>*} to=${pair#*>}
    if [[ -n ${uses[$to>$from]:-} && $from < $to ]]; then
        echo "$from/ and $to/ include each other: ${uses[$pair]}, ${uses[$to>$from]}"
        faults=$((faults + 1))
    fi
done

core=(services settings message udc glyphs link file inspect editor commands)
if grep -rn --include='*.h' --include='*.cpp' -E '^#include <Q' "${core[@]}"; then
    echo "the core includes Qt"
    faults=$((faults + 1))
fi

((faults == 0)) && echo "layers hold"
((faults == 0))
