#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian packages tidewake and
# tidewake-server in build/packages/, checked as the tests check them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
scripts/check-packages.sh build
ls build/packages/*.deb
