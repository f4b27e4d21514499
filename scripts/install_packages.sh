#!/usr/bin/env bash
# Installs those of the Debian packages named as arguments that are missing, with sudo when
# not root; installs nothing, and asks no network, when all are there. An argument
# PROGRAM=PACKAGE counts as there when PROGRAM is on the PATH, whatever brought it: Node.js from
# another source than Debian brings its own npm, and Debian's npm package would conflict with it.
set -euo pipefail

missing=()
for p in "$@"; do
    if [[ $p == *=* ]]; then
        command -v "${p%%=*}" >/dev/null || missing+=("${p#*=}")
    else
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    fi
done
((${#missing[@]})) || exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
