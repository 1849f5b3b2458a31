#!/usr/bin/env bash
# The zip as a user gets it: unpacked into a fresh Wine prefix, register.cmd run, the
# example VBScript client served, register.cmd /u taking the classes away again.
# package-test.sh ZIP
set -euo pipefail
zip="$(realpath "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# shellcheck source=../../scripts/wine-env
. "$here/../../scripts/wine-env" "$work/prefix"
unset VORTAN_BOARDS VORTAN_ANSWERS VORTAN_TRANSCRIPT
(cd "$work" && cmake -E tar xf "$zip")
app="$work/vortan-windows"
cd "$app"

out="$(wine cmd /c register.cmd 2>&1)" || fail "register.cmd: $out"
printf '%s\n' "$out"
grep -q 'registered ZEPH.VORTAN.Application.7 under HKEY_LOCAL_MACHINE' <<<"$out" ||
    fail "register.cmd did not say where the server went"
grep -q 'registered .*vortan-simboard.dll in HKEY_LOCAL_MACHINE' <<<"$out" ||
    fail "register.cmd did not say where the board went"

wine vortan-board.exe create DEMO >/dev/null || fail "no board"
out="$(wine cscript //nologo 'examples\round_trip.vbs' DEMO 2>&1)" || fail "round_trip.vbs: $out"
printf '%s\n' "$out"
grep -q '^round trip OK' <<<"$(tr -d '\r' <<<"$out")" || fail "the example's round trip"
# The board lives in the user's local application data, as documented.
ls "$work"/prefix/drive_c/users/*/AppData/Local/vortan/boards/DEMO/flash/net.ini >/dev/null ||
    fail "net.ini not in the default board directory"

# The board's classes: controller access and flash handling.
board_classes=('{5CE68222-DDD2-11D2-977D-00104B49CBE6}' '{01000039-2409-43F1-8BAC-7D0643B6159E}')
for clsid in "${board_classes[@]}"; do
    wine reg query 'HKLM\Software\Classes\CLSID\'"$clsid"'\InprocServer32' >/dev/null 2>&1 ||
        fail "register.cmd did not register $clsid"
done
out="$(wine cmd /c register.cmd /u 2>&1)" || fail "register.cmd /u: $out"
printf '%s\n' "$out"
! wine reg query 'HKLM\Software\Classes\ZEPH.VORTAN.Application.7' >/dev/null 2>&1 ||
    fail "the ProgID outlived register.cmd /u"
for clsid in "${board_classes[@]}"; do
    ! wine reg query 'HKLM\Software\Classes\CLSID\'"$clsid" >/dev/null 2>&1 ||
        fail "the board class $clsid outlived register.cmd /u"
done
echo "PASS package"
