#!/usr/bin/env bash
# The Debian package of the build tree, unpacked (not installed) into a temporary root: it
# holds what a /usr installation needs in the places Debian wants them, its programs find
# their libraries through RUNPATH, and on a private bus its server, its tools and the
# simulated board of its own system registry do a write and a read (in-session.sh).
#
#   package-test.sh BUILD_DIR
set -uo pipefail

build="$(cd "$1" && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/vortan-package.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if ! (cd "$build" && cpack -G DEB -B "$work/pack" -D CPACK_PACKAGING_INSTALL_PREFIX=/usr) \
    >"$work/log" 2>&1; then
    cat "$work/log" >&2
    echo "FAIL: cpack" >&2
    exit 1
fi
root="$work/root"
dpkg-deb -x "$work"/pack/vortan_*.deb "$root" || {
    echo "FAIL: dpkg-deb -x" >&2
    exit 1
}
for f in usr/bin/vortan usr/bin/vortanctl usr/bin/vortan-board etc/xdg/vortan/classes.ini \
    usr/lib/vortan/libvortan-simboard.so usr/lib/cmake/Vortan/VortanConfig.cmake \
    usr/share/man/man1/vortanctl.1.gz usr/share/bash-completion/completions/vortanctl; do
    [ -e "$root/$f" ] || fail "$f is not in the package"
done
grep -qx 'Exec=/usr/bin/vortan --automation' \
    "$root/usr/share/dbus-1/services/ZEPH.VORTAN.Application._7.service" ||
    fail "the service file does not start /usr/bin/vortan"
dpkg-deb -e "$work"/pack/vortan_*.deb "$work/control"
grep -qx /etc/xdg/vortan/classes.ini "$work/control/conffiles" ||
    fail "the system registry is no conffile"

"$(dirname "$0")/../../scripts/private-session" "$root/usr" "$(dirname "$0")/in-session.sh" \
    "$root/usr/bin" "$root/etc/xdg" "$work/session" || fail "on the bus (above)"

exit $((failures != 0))
