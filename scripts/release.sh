#!/usr/bin/env bash
# Makes a release in ./dist (or $DIST_DIR): builds what is missing or changed (the native build,
# the browser page, the Windows build), then puts beside each other
#   pole-display-setup_VERSION_amd64.deb     the window for Debian, with its help and menu entry
#   pole-display-setup.html                  the browser page, one file that runs from disk
#   vfdctl.exe                               the command line for Windows, no DLL beside it
#   pds-vfd-VERSION.tar.gz                   the Ansible collection, for a fleet
#   pole-display-setup-user-guide.pdf        the user guide
#   RELEASE-NOTES.md                         what each file is and who it is for
#   SHA256SUMS                               the checksums of all of the above
# The version is the one CMake holds (scripts/version.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# dpkg-dev and file: cpack finds the package's library dependencies with dpkg-shlibdeps, and
# tells its programs from its other files with file(1).
scripts/install_packages.sh ansible-core dpkg-dev file
scripts/setup.sh >/dev/null
page=$(scripts/build_page.sh)
scripts/build_windows.sh >/dev/null

version=$(scripts/version.sh)
dist=$(realpath -m "${DIST_DIR:-dist}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
rm -rf "$dist"
mkdir -p "$dist"

(cd build && cpack -G DEB -B "$scratch/deb" >/dev/null)
cp "$scratch"/deb/pole-display-setup_*.deb "$dist/"
cp "$page" "$dist/pole-display-setup.html"
# The stripped copy the Windows build hands out, not the one with its debugging sections.
cp "$(realpath -m "${WINDOWS_BUILD_DIR:-build-windows}")/core/vfdctl.exe" "$dist/"
collection=$(scripts/stage_collection.sh "$scratch/collection")
ansible-galaxy collection build "$collection" --output-path "$dist" >/dev/null
cp "build/Vela Pole Display.pdf" "$dist/pole-display-setup-user-guide.pdf"

deb=$(basename "$dist"/pole-display-setup_*.deb)
tarball=$(basename "$dist"/pds-vfd-*.tar.gz)
cat >"$dist/RELEASE-NOTES.md" <<EOF
# Pole Display Setup $version

| File | For |
|---|---|
| \`pole-display-setup.html\` | a shop PC without install rights: open it in Chrome or Edge, nothing to install |
| \`vfdctl.exe\` | scripts on Windows: the command line, one file, no DLL beside it |
| \`$deb\` | Debian 12: the window, its help and menu entry (\`apt install ./$deb\`) |
| \`$tarball\` | a fleet: the Ansible collection \`pds.vfd\` (\`ansible-galaxy collection install $tarball\`) |
| \`pole-display-setup-user-guide.pdf\` | everyone: the user guide |

\`SHA256SUMS\` holds the checksum of each file (\`sha256sum -c SHA256SUMS\`).
EOF
(cd "$dist" && sha256sum -- * >"$scratch/SHA256SUMS" && mv "$scratch/SHA256SUMS" .)
echo "Pole Display Setup $version in ${dist#"$root"/}:"
(cd "$dist" && ls -l --time-style=+ -- * | awk '{ printf "%10d  %s\n", $5, $NF }')
