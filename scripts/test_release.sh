#!/usr/bin/env bash
# Makes the release (scripts/release.sh) into a scratch folder and checks that it is complete
# and that each file works: the set of files is exactly the one promised, the checksums hold,
# the .deb installs into a scratch root and its program answers --version, the page loads in
# headless Chromium, vfdctl.exe answers --version under Wine, the collection installs and
# ansible-doc reads its module, the user guide is a PDF, the notes name every file.
set -euo pipefail
echo "The release (scripts/release.sh):"
cd "$(dirname "$0")/.."
scripts/install_packages.sh chromium
scripts/npm_packages.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dist=$scratch/dist
DIST_DIR=$dist scripts/release.sh
version=$(scripts/version.sh)
semver=$(scripts/version.sh --semver)

failures=0
check() { # check DESCRIPTION COMMAND...: runs COMMAND, counts it as failed unless it succeeds
    local description=$1
    shift
    if "$@" >"$scratch/out" 2>&1; then
        echo "ok: $description"
    else
        echo "FAILED: $description"
        sed 's/^/    /' "$scratch/out"
        failures=$((failures + 1))
    fi
}

deb=pole-display-setup_${version}_amd64.deb
tarball=pds-vfd-$semver.tar.gz
expected=$(printf '%s\n' "$deb" pole-display-setup.html vfdctl.exe "$tarball" \
    pole-display-setup-user-guide.pdf RELEASE-NOTES.md SHA256SUMS | sort)
check "dist holds exactly the promised files" diff <(echo "$expected") <(ls "$dist" | sort)
check "the checksums hold and cover every other file" bash -c '
    cd "$1" && sha256sum --quiet -c SHA256SUMS &&
    diff <(ls | grep -vx SHA256SUMS) <(sed -E "s/^[0-9a-f]+  //" SHA256SUMS | sort)' - "$dist"
check "the notes name the version and every file" bash -c '
    grep -q "^# Pole Display Setup $2\$" "$1/RELEASE-NOTES.md" &&
    for f in $(ls "$1" | grep -vx -e RELEASE-NOTES.md -e SHA256SUMS); do grep -qF "\`$f\`" "$1/RELEASE-NOTES.md" || exit 1; done' \
    - "$dist" "$version"

# The .deb into an empty root with a dpkg database of its own; the libraries it names are the
# build machine's, so its dependencies are taken as met.
target=$scratch/root
mkdir -p "$target/var/lib/dpkg/info" "$target/var/lib/dpkg/updates"
touch "$target/var/lib/dpkg/status"
check "the .deb installs into a scratch root" \
    dpkg --root="$target" --force-depends --force-not-root --log=/dev/null -i "$dist/$deb"
check "the installed program answers --version" bash -c \
    '[ "$("$1/usr/bin/pole-display-setup" --version)" = "pole-display-setup $2" ]' - "$target" "$version"
check "the installed menu entry starts it in the folder of its help" \
    grep -qx "Path=/usr/share/pole-display-setup" "$target/usr/share/applications/pole-display-setup.desktop"
check "the help is installed beside it" test -s "$target/usr/share/pole-display-setup/Vela Pole Display.pdf"

check "the page loads" env PDS_PAGE="$dist/pole-display-setup.html" node web/page/tests/open_page.mjs

export WINEPREFIX=$PWD/build-windows/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
check "vfdctl.exe answers --version under Wine" bash -c \
    '[ "$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/lib/wine/wine64 "$1" --version | tr -d "\r")" = "vfdctl $2" ]' \
    - "$dist/vfdctl.exe" "$version"
check "vfdctl.exe is the stripped one" bash -c \
    '! x86_64-w64-mingw32-objdump -h "$1" | grep -q "\.debug_"' - "$dist/vfdctl.exe"

check "the collection installs and its module's documentation reads" bash -c '
    ansible-galaxy collection install --offline -p "$1/collections" "$2" &&
    ANSIBLE_COLLECTIONS_PATH="$1/collections" ansible-doc pds.vfd.pole_display | grep -q "pole display"' \
    - "$scratch" "$dist/$tarball"
check "the collection carries the version" bash -c \
    'tar -xzOf "$1" MANIFEST.json | grep -q "\"version\": \"$2\""' - "$dist/$tarball" "$semver"
check "the user guide is a PDF" bash -c '[ "$(head -c 5 "$1")" = "%PDF-" ]' - "$dist/pole-display-setup-user-guide.pdf"

((failures == 0)) && echo "the release is complete and each file works"
((failures == 0))
