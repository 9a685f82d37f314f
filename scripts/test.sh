#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: host, windows and end-to-end tiers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
ctest --test-dir build/host -j 2 --output-on-failure "$@"
