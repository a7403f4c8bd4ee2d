#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (only what is missing), builds Jotpin (not its tests) and
# starts it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
jotpin_setup
exec "$JOTPIN_BUILD/jotpin" "$@"
