#!/bin/sh
# Builds the Debian package from a finished build folder, checks its contents and lintian,
# installs it with apt-get, runs the installed programs, validates the installed desktop entry
# and metainfo, and purges the package again, also when a step fails.
# usage: package_test.sh BUILD_DIR PROGRAM...   (every program the package must hold)
# Exit status 77 means skipped.
set -eu
build_dir=$1
shift
skip() { echo "SKIPPED: $*" && exit 77; }
die() { echo "FAIL: $*" && exit 1; }
[ -z "${PELLMARK_PACKAGE_SKIP:-}" ] || skip "$PELLMARK_PACKAGE_SKIP"
# Installing and purging changes the machine, which a test run should do only when asked.
[ "${PELLMARK_PACKAGE_TEST:-}" = 1 ] || skip "it installs and purges the pellmark package;" \
    "to run it, as root: PELLMARK_PACKAGE_TEST=1 ctest --test-dir $build_dir -R package_deb"
[ "$(id -u)" -eq 0 ] || skip "installing the package needs root"
for tool in apt-get dpkg-deb cpack lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh --tests adds it)"
done
# One package test at a time on this machine, also from other build folders (RESOURCE_LOCK
# only orders the tests of one ctest run). The lock is taken on the package database's folder,
# which every machine has and apt never flocks, so no lock file is left behind.
exec 9</var/lib/dpkg
flock -w 120 9 || skip "another package test has held the lock for two minutes"
# A pellmark installed by someone else is theirs: this test would remove it.
dpkg-query -W -f='${Status}' pellmark 2>/dev/null | grep -q 'ok installed' &&
    skip "a pellmark package is already installed on this machine"

work=$(mktemp -d)
apt_get() { apt-get -y -q -o DPkg::Lock::Timeout=120 "$@"; }
cleanup() {
    [ -z "${service:-}" ] || kill "$service" 2>/dev/null || true
    [ -z "${installed:-}" ] || apt_get purge pellmark >/dev/null || echo "could not purge pellmark"
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
cd "$work"

cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work" >cpack.log ||
    { cat cpack.log; die "cpack"; }
deb=$work/pellmark_1.0_amd64.deb

dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >files.txt
{
    echo /usr/share/applications/pellmark.desktop /usr/share/doc/pellmark/copyright
    echo /usr/share/metainfo/example.tarnwick.pellmark.metainfo.xml
    echo /usr/share/icons/hicolor/scalable/apps/pellmark.svg
    echo /usr/lib/systemd/user/pellmark-update.service /usr/lib/systemd/user/pellmark-update.timer
    for size in 16 22 24 32 48 64 128 256; do
        echo "/usr/share/icons/hicolor/${size}x$size/apps/pellmark.png"
    done
    for program in "$@"; do echo "/usr/bin/$program /usr/share/man/man1/$program.1.gz"; done
} | tr ' ' '\n' | while read -r path; do
    grep -qx "$path" files.txt || die "the package lacks $path"
done

# Each manual page lists the options (help2man sets each one as a bold line "\fB\-..."). Read
# from the package, as some machines are set up to install no manual pages.
dpkg-deb -x "$deb" content
for program in "$@"; do
    zcat "content/usr/share/man/man1/$program.1.gz" | grep -q '^\\fB\\-' ||
        die "the manual page of $program shows no options"
done

# The dependencies are worked out from the binaries; the window program needs Qt Widgets.
dpkg-deb -f "$deb" Depends | tee depends.txt | grep -q libqt6widgets6 ||
    die "Depends does not name libqt6widgets6: $(cat depends.txt)"
[ "$(dpkg-deb -f "$deb" Recommends)" = bash-completion ] || die "Recommends is not bash-completion"

# Errors fail the test; warnings are printed for the record.
lintian --fail-on error --tag-display-limit 0 "$deb" || die "lintian reports errors"

installed=yes # before the install: a failed one may leave the package half configured
apt_get install "$deb" >apt.log || { cat apt.log; die "apt-get install"; }
for program in pellmark pellmark-batch pellmark-export pellmark-check pellmark-parse-page \
    pellmark-quote-service; do
    case " $* " in *" $program "*) ;; *) continue ;; esac
    # No display: --version must answer before any window system is needed.
    version=$(env -u DISPLAY -u WAYLAND_DISPLAY "/usr/bin/$program" --version) ||
        die "$program --version"
    echo "$program --version: $version"
    echo "$version" | head -n 1 | grep -q ' 1\.0$' || die "$program reports no version 1.0"
done
# A day fetched by the installed programs: the page-body helper is found where it is installed.
unset PELLMARK_PAGE_BODY
/usr/bin/pellmark-quote-service --port 0 >port.txt & service=$!
sleep 1
http_proxy="http://127.0.0.1:$(head -n 1 port.txt)" /usr/bin/pellmark-batch --symbols AUDUSD \
    --from 2005-06-08 --to 2005-06-08 --out days 2>batch.log || { cat batch.log; die "installed pellmark-batch"; }
kill "$service" && service=
[ "$(grep -c . days/AUDUSD-8-Jun-05.txt)" = 288 ] || die "the installed programs saved no day"
desktop-file-validate /usr/share/applications/pellmark.desktop || die "installed desktop entry"
# The nightly update's units as installed, their manual page included.
mkdir -m 700 runtime
XDG_RUNTIME_DIR=$work/runtime systemd-analyze --user verify \
    /usr/lib/systemd/user/pellmark-update.service /usr/lib/systemd/user/pellmark-update.timer ||
    die "installed systemd units"
appstreamcli validate --no-net /usr/share/metainfo/example.tarnwick.pellmark.metainfo.xml ||
    die "installed metainfo"

apt_get purge pellmark >/dev/null || die "apt-get purge"
installed=
[ ! -e /usr/bin/pellmark ] || die "/usr/bin/pellmark is still there after the purge"
