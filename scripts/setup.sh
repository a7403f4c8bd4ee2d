#!/usr/bin/env bash
# Installs what Jotpin needs on Debian 12 (only what is missing) and builds it into build/.
# Sourced by run.sh, test.sh and package.sh; "jotpin_setup test" also installs the end-to-end
# test tools and builds everything.
set -euo pipefail

JOTPIN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOTPIN_BUILD="$JOTPIN_ROOT/build"

JOTPIN_BUILD_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-multimedia-dev qt6-svg-dev libgl-dev libxcb1-dev
    # qt6-wayland: with only a Wayland socket and no XWayland, the notes still come up
    qt6-qpa-plugins qt6-wayland qt6-image-formats-plugins libqt6svg6 libqt6multimedia6
    fonts-noto-cjk qt6-translations-l10n
    # The alarm sound: wave and MP3 (good), WMA (ugly's ASF reader, libav), MIDI (bad's
    # fluidsynth and a soundfont)
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
    gstreamer1.0-plugins-ugly gstreamer1.0-libav timgm6mb-soundfont
)
JOTPIN_TEST_PACKAGES=(xvfb openbox trayer xdotool x11-utils wmctrl imagemagick desktop-file-utils
    clang-format faketime pulseaudio pulseaudio-utils sox poppler-utils inotify-tools strace
    appstream man-db lintian
    # A store kept in step between two sides by a real sync engine, and the notes' text read back
    syncthing curl iproute2 xclip
    # What a screen reader finds of the notes, read through AT-SPI; trays of the
    # StatusNotifierItem kind and a notification server: each on a session bus of the test's own
    python3-pyatspi at-spi2-core dbus-daemon python3-dbus python3-gi
    # The desktops the notes are tried on, another program to focus (xmessage), and xhost,
    # which lets the test use the display of sway's own user
    kwin-x11 mutter xfwm4 sway xwayland grim x11-apps x11-xserver-utils)
# What makes the Debian package: dpkg-shlibdeps finds the libraries the program links.
JOTPIN_PACKAGE_PACKAGES=(dpkg-dev file)

jotpin_install_missing() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    ((${#missing[@]})) || return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# jotpin_configure BUILD_DIR [CMAKE OPTIONS...]: configures a build folder the first time; later
# only options given here are set again, so the next build stays quick.
jotpin_configure() {
    local build=$1
    shift
    if [ ! -f "$build/build.ninja" ]; then
        cmake -S "$JOTPIN_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    elif (($#)); then
        cmake "$build" "$@" >/dev/null
    fi
}

# jotpin_setup [test|package]: without an argument only the program and the files it ships are
# built, not the tests and benchmarks; the build folder is configured the same either way, so
# the run, test and package commands take turns in it without configuring it again.
jotpin_setup() {
    local packages=("${JOTPIN_BUILD_PACKAGES[@]}") options=() targets=(--target jotpin)
    case "${1:-}" in
    test)
        packages+=("${JOTPIN_TEST_PACKAGES[@]}" "${JOTPIN_PACKAGE_PACKAGES[@]}")
        # The tests build as CI does: a warning fails the build.
        options+=(-DJOTPIN_WERROR=ON)
        targets=()
        ;;
    package) packages+=("${JOTPIN_PACKAGE_PACKAGES[@]}") ;;
    esac
    jotpin_install_missing "${packages[@]}"
    jotpin_configure "$JOTPIN_BUILD" "${options[@]}"
    cmake --build "$JOTPIN_BUILD" --parallel "$(nproc)" "${targets[@]}"
}

# jotpin_ctest BUILD_DIR [CTEST ARGS...]: runs the suite once. A failed test fails the suite:
# a second run that passed would hide a fault that shows only sometimes, a lost note among them.
jotpin_ctest() {
    local build=$1
    shift
    ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" "$@"
}
