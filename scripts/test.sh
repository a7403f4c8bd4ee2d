#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (only what is missing), builds and runs every test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
jotpin_setup test
jotpin_ctest "$JOTPIN_BUILD" "$@"
