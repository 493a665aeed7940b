#!/usr/bin/env bash
# Installs what Vornap needs, builds it and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
mkdir -p build/artifacts
cd build
ctest --output-on-failure --timeout 600 -j2

# The same suite under the sanitizers, and the fuzz targets.
cd ..
bash scripts/sanitize.sh
