#!/usr/bin/env bash
# Checks the layers described in README.md over every C++ source of the tree (or of the tree
# named as the first argument) and fails, naming the file and the include, when
#   - a folder includes a folder of a higher layer,
#   - a folder holds sources but has no layer here,
#   - folders include each other in a cycle, of any length,
#   - the core (layers 1 to 4) includes anything but the standard library: Qt, Windows,
#     emscripten, POSIX or any other library's header.
# Quoted includes are resolved as the compiler does, against the including file's folder, then
# the include paths the build gives (the top of the tree, tests/, and the two tools' folders).
set -euo pipefail
cd "${1:-$(dirname "$0")/../..}"

declare -A layer=(
    [services]=1
    [settings]=2 [message]=2 [udc]=2 [glyphs]=2 [link]=2 [file]=2 [inspect]=2 [display_sets]=2
    [editor]=3
    [commands]=4
    [adapters]=5
    [ui]=6 [tools]=6 [web]=6 [main.cpp]=6
    [tests]=7 [bench]=7 [docs]=7
)
core_layers=4
include_paths=(. tests tools/vfdctl tools/virtual_display)

# The C++20 standard library and its C headers: the core includes nothing else.
standard=" algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv
 chrono cinttypes climits clocale cmath codecvt compare complex concepts condition_variable
 coroutine csetjmp csignal cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar
 cwctype deque exception execution filesystem format forward_list fstream functional future
 initializer_list iomanip ios iosfwd iostream istream iterator latch limits list locale map memory
 memory_resource mutex new numbers numeric optional ostream queue random ranges ratio regex
 scoped_allocator semaphore set shared_mutex source_location span sstream stack stdexcept
 stop_token streambuf string string_view syncstream system_error thread tuple type_traits
 typeindex typeinfo unordered_map unordered_set utility valarray variant vector version "
standard="${standard//$'\n'/ } "

faults=0
fault() {
    echo "$1"
    faults=$((faults + 1))
}

# Where a quoted include leads, into $target: the top-level folder of the file it names, or the
# first folder of its path when no such file exists.
resolve() {
    local from_dir=$1 included=$2 root found=$2
    for root in "$from_dir" "${include_paths[@]}"; do
        if [[ -f $root/$included ]]; then
            found=$root/$included
            break
        fi
    done
    found=${found#./}
    while [[ $found == */../* ]]; do found=$(sed -E 's|[^/]+/\.\./||' <<<"$found"); done
    target=${found%%/*}
}

declare -A uses=() seen_folder=()
# Every include of every source, as "file<TAB>"name" or "file<TAB><name>", in one pass.
while IFS=$'\t' read -r file included; do
    file=${file#./}
    folder=${file%%/*}
    if [[ -z ${layer[$folder]:-} ]]; then
        [[ -n ${seen_folder[$folder]:-} ]] ||
            fault "$folder holds sources ($file) but has no layer: add it to tests/layers/check_layers.sh"
        seen_folder[$folder]=1
        continue
    fi
    name=${included:1:${#included}-2}
    if [[ $included == \"* ]]; then
        dir=${file%/*}
        [[ $dir != "$file" ]] || dir=.
        resolve "$dir" "$name"
        [[ -n ${layer[$target]:-} && $target != "$folder" ]] || continue
        if ((layer[$target] > layer[$folder])); then
            fault "$file includes \"$name\": $target/ is a layer above $folder/"
        fi
        uses[$folder>$target]=$file
    elif ((layer[$folder] <= core_layers)) && [[ $standard != *" $name "* ]]; then
        fault "$file includes $included: the core includes the standard library only"
    fi
done < <(find . \( -path './build*' -o -path './dist' -o -path './.*' -o -name node_modules \) -prune \
              -o -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) -print0 |
         xargs -0 awk 'BEGIN { OFS = "\t" }
             /^[ \t]*#[ \t]*include[ \t]*["<]/ {
                 if (match($0, /"[^"]*"|<[^>]*>/)) print FILENAME, substr($0, RSTART, RLENGTH)
             }')

# Cycles of any length among the folders: a depth-first walk that meets a folder still on its
# path has found one.
declare -A state=()
path=()
walk() {
    local from=$1 edge to
    state[$from]=open
    path+=("$from")
    for edge in "${!uses[@]}"; do
        [[ ${edge%>*} == "$from" ]] || continue
        to=${edge#*>}
        if [[ ${state[$to]:-} == open ]]; then
            local cycle="" through=() i
            for ((i = ${#path[@]} - 1; i >= 0; i--)); do
                through=("${path[i]}" "${through[@]}")
                [[ ${path[i]} != "$to" ]] || break
            done
            through+=("$to")
            cycle=${through[0]}/
            for ((i = 1; i < ${#through[@]}; i++)); do
                cycle+=" -> ${through[i]}/ (${uses[${through[i - 1]}>${through[i]}]})"
            done
            fault "the folders include each other in a cycle: $cycle"
        elif [[ -z ${state[$to]:-} ]]; then
            walk "$to"
        fi
    done
    unset 'path[${#path[@]}-1]'
    state[$from]=done
}
for folder in $(printf '%s\n' "${!layer[@]}" | sort); do
    [[ -n ${state[$folder]:-} ]] || walk "$folder"
done

((faults == 0)) && echo "layers hold"
((faults == 0))
