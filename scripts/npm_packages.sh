#!/usr/bin/env bash
# Installs Node.js and npm where they are missing, then the npm packages as web/package-lock.json
# names them, fetched again only when the lock changed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_packages.sh nodejs npm=npm
if [ ! -f web/node_modules/.package-lock.json ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
    (cd web && npm ci --no-audit --no-fund)
fi
