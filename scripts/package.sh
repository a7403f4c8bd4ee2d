#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (only what is missing), builds Jotpin and its Debian package,
# build/jotpin_<version>_<arch>.deb. "sudo apt install ./build/jotpin_*.deb" installs it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
jotpin_setup package
rm -f "$JOTPIN_BUILD"/jotpin_*.deb
(cd "$JOTPIN_BUILD" && cpack -G DEB)
ls "$JOTPIN_BUILD"/jotpin_*.deb
