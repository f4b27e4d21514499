#!/usr/bin/env bash
# Prints the version as CMake holds it, from project() in CMakeLists.txt, where it is written
# once; with --semver in three parts (3.2 gives 3.2.0), as an Ansible collection needs it.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -nE 's/^project\([^ ]+ VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || { echo "no version in CMakeLists.txt's project()" >&2; exit 1; }
if [[ ${1:-} == --semver ]]; then
    while [[ $version != *.*.* ]]; do version+=.0; done
fi
echo "$version"
