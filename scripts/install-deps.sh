#!/bin/sh
# Installs the Debian packages needed to build and run Pellmark and to make its package;
# with --tests, also the tools the test suites, benchmarks and fuzzers use.
# Needs root (or sudo). Packages already present are left alone.
set -eu
PACKAGES="build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev \
libcurl4-openssl-dev libgumbo-dev libcpp-httplib-dev libsqlite3-dev ccache help2man dpkg-dev \
file xvfb xauth fonts-dejavu-core"
if [ "${1:-}" = "--tests" ]; then
    PACKAGES="$PACKAGES libbenchmark-dev xdotool imagemagick chromium trayer openbox xfce4-panel \
dbus-daemon x11-utils curl strace heaptrack clang libclang-rt-14-dev time faketime \
desktop-file-utils appstream lintian systemd python3 sqlite3 locales"
fi
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
if [ -n "$missing" ]; then
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -q
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -q --no-install-recommends $missing
fi
# The approved outputs are compared in a German locale too; listed in locale.gen, it stays
# when the locales package regenerates the others.
if [ "${1:-}" = "--tests" ] && ! locale -a | grep -qx 'de_DE.utf8'; then
    echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen > /dev/null
    $SUDO locale-gen
fi
