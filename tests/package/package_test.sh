#!/bin/sh
# Builds the Debian package from a finished build folder, checks its contents and lintian,
# installs it with apt-get, runs the installed programs, validates the installed desktop entry
# and metainfo, and purges the package again, also when a step fails.
# usage: package_test.sh BUILD_DIR PROGRAM...   (PROGRAM: every program the package must hold)
# Exit status 77 means skipped.
set -eu
build_dir=$1
shift
programs="$*"
skip() {
    echo "SKIPPED: $*"
    exit 77
}
[ -z "${PELLMARK_PACKAGE_SKIP:-}" ] || skip "$PELLMARK_PACKAGE_SKIP"
[ "$(id -u)" -eq 0 ] || skip "installing the package needs root"
for tool in apt-get dpkg dpkg-deb cpack lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh adds it)"
done
# A pellmark installed by someone else is theirs: this test would remove it.
if dpkg-query -W -f='${Status}' pellmark 2>/dev/null | grep -q installed; then
    skip "a pellmark package is already installed on this machine"
fi

work=$(mktemp -d)
installed=no
cleanup() {
    if [ "$installed" = yes ]; then
        apt-get purge -y -q -o DPkg::Lock::Timeout=120 pellmark >/dev/null ||
            echo "could not purge the pellmark package"
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

cd "$work"
cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work" >cpack.log ||
    { cat cpack.log; exit 1; }
deb=$work/pellmark_1.0_amd64.deb
[ -f "$deb" ] || { echo "cpack wrote no $deb"; ls "$work"; exit 1; }

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >files.txt
expected="/usr/share/applications/pellmark.desktop
/usr/share/metainfo/example.tarnwick.pellmark.metainfo.xml
/usr/share/icons/hicolor/scalable/apps/pellmark.svg
/usr/share/doc/pellmark/copyright
/usr/share/doc/pellmark/changelog.gz"
for size in 16 22 24 32 48 64 128 256; do
    expected="$expected
/usr/share/icons/hicolor/${size}x${size}/apps/pellmark.png"
done
for program in $programs; do
    expected="$expected
/usr/bin/$program
/usr/share/man/man1/$program.1.gz"
done
echo "$expected" | while read -r path; do
    grep -qx "$path" files.txt || echo "$path"
done >missing.txt
[ -s missing.txt ] && fail "the package lacks: $(tr '\n' ' ' <missing.txt)"

# Each manual page lists the options: help2man sets each one as a bold line "\fB\-...".
# Read from the package, as some machines are set up to install no manual pages.
dpkg-deb -x "$deb" content
for program in $programs; do
    zcat "content/usr/share/man/man1/$program.1.gz" | grep -q '^\\fB\\-' ||
        fail "the manual page of $program shows no options"
done

# The dependencies are worked out from the binaries; the window program needs Qt Widgets.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
case "$depends" in
*libqt6widgets6*) ;;
*) fail "Depends does not name libqt6widgets6" ;;
esac

# lintian: errors fail the test; warnings are printed for the record.
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

# Set first: a failed install may leave the package half configured, and the purge mends that.
installed=yes
apt-get install -y -q -o DPkg::Lock::Timeout=120 "$deb" >apt.log ||
    { cat apt.log; fail "apt-get install failed"; exit 1; }

for program in $programs; do
    case "$program" in
    pellmark | pellmark-batch | pellmark-export)
        # No display: --version must answer before any window system is needed.
        version=$(env -u DISPLAY -u WAYLAND_DISPLAY "/usr/bin/$program" --version) ||
            fail "/usr/bin/$program --version failed"
        echo "$program --version: $version"
        echo "$version" | head -n 1 | grep -q ' 1\.0$' || fail "$program reports no version 1.0"
        ;;
    esac
done

desktop-file-validate /usr/share/applications/pellmark.desktop ||
    fail "the installed desktop entry is not valid"
appstreamcli validate --no-net /usr/share/metainfo/example.tarnwick.pellmark.metainfo.xml ||
    fail "the installed metainfo is not valid"

apt-get purge -y -q -o DPkg::Lock::Timeout=120 pellmark >/dev/null || fail "apt-get purge failed"
installed=no
[ -e /usr/bin/pellmark ] && fail "/usr/bin/pellmark is still there after the purge"
exit "$failed"
