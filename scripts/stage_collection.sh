#!/usr/bin/env bash
# Copies the Ansible collection (contrib/ansible/ansible_collections) into the folder named, as
# DEST/ansible_collections/pds/vfd, with its galaxy.yml written from galaxy.yml.in and the
# version CMake holds (scripts/version.sh). Prints the collection's folder.
set -euo pipefail
cd "$(dirname "$0")/.."
dest=$1
mkdir -p "$dest"
cp -r contrib/ansible/ansible_collections "$dest/"
collection=$dest/ansible_collections/pds/vfd
sed "s/@VERSION@/$(scripts/version.sh --semver)/" "$collection/galaxy.yml.in" >"$collection/galaxy.yml"
rm "$collection/galaxy.yml.in"
echo "$collection"
