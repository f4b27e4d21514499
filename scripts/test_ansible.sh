#!/usr/bin/env bash
# The pole_display Ansible module: its code compiled and linted, its documentation read by
# ansible-doc, then playbooks run by Debian's ansible-core against virtual displays, with the
# programs of build/ (or BUILD_DIR), built again only where they changed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
collections=contrib/ansible
module=$collections/ansible_collections/pds/vfd/plugins/modules/pole_display.py

scripts/install_packages.sh ansible-core yamllint pyflakes3
[ -f "$build/build.ninja" ] || scripts/setup.sh
cmake --build "$build" --target vfdctl virtual_display

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The module runs under the managed host's /usr/bin/python3; its byte code stays out of the tree.
PYTHONPYCACHEPREFIX=$scratch /usr/bin/python3 -m py_compile "$module"
pyflakes3 "$module" tests/ansible/*.py
yamllint -s -c contrib/ansible/yamllint.yml "$collections" tests/ansible
ANSIBLE_COLLECTIONS_PATH=$collections ansible-doc pds.vfd.pole_display >/dev/null
ANSIBLE_COLLECTIONS_PATH=$collections ansible-playbook --syntax-check \
    -i $collections/examples/inventory.yml $collections/examples/rollout.yml >/dev/null
# The README shows the examples; they must be the files checked here.
for example in $collections/examples/*.yml; do
    /usr/bin/python3 -c 'import sys; sys.exit(open(sys.argv[1]).read().rstrip() not in open("README.md").read())' "$example" ||
        { echo "README.md does not show $example as it is"; exit 1; }
done
# Those of ansible-test's sanity tests that need no packages from PyPI, which is out of reach;
# on the collection as it is released (with its galaxy.yml), since ansible-test writes into it.
staged=$(scripts/stage_collection.sh "$scratch")
(cd "$staged" &&
    ansible-test sanity --python 3.11 --color no \
        --skip-test validate-modules --skip-test runtime-metadata --skip-test yamllint \
        --skip-test import --skip-test pep8 --skip-test pylint --skip-test changelog \
        --skip-test pslint --skip-test shellcheck --skip-test ansible-doc)

/usr/bin/python3 tests/ansible/test_pole_display.py "$build" -v
