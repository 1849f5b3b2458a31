#!/usr/bin/env bash
# Runs one of examples/ against a fresh simulated board (inside scripts/private-session).
#
#   run-example.sh BUILD_DIR EXAMPLE
set -euo pipefail
bin="$1/bin"
example="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/vortan-example.XXXXXX")"
trap 'rm -rf "$work"' EXIT

"$bin/vortan-board" create EX >/dev/null
printf '[a]\nx=1\n' >"$work/a.ini"
head -c 100000 /dev/urandom >"$work/data.bin"
"$example" EX "$work" a.ini data.bin
# The example compared the files itself; check its claim on the board as well.
cmp "$work/a.ini" "$VORTAN_BOARDS/EX/flash/a.ini"
cmp "$work/data.bin" "$work/back/data.bin"
# Board and file names beyond ASCII go through the bus unchanged.
cp "$work/a.ini" "$work/Grüße-😀.ini"
"$bin/vortan-board" create "Prüfstand-😀" >/dev/null
"$example" "Prüfstand-😀" "$work" "Grüße-😀.ini"
cmp "$work/a.ini" "$VORTAN_BOARDS/Prüfstand-😀/flash/Grüße-😀.ini"
