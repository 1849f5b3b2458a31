#!/usr/bin/env bash
# One system test of the Windows build under Wine: system-test.sh BIN_DIR PREFIX_DIR CASE.
# Registers the server and the simulated board in the prefix (under HKLM, which Wine's
# activation reads), gives the case a board and a scratch directory, runs it and then
# requires that no server process is left.
set -euo pipefail
bin="$(realpath "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
case_name="$3"
# shellcheck source=../../scripts/wine-env
. "$here/../../scripts/wine-env" "$2"

work="$(mktemp -d)"
# Whatever happened, nothing of this case outlives it.
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    if [ -s "$work/transcript.jsonl" ]; then
        echo "What the servers showed:" >&2
        cat "$work/transcript.jsonl" >&2
    fi
    exit 1
}
# The path Wine's drive Z: gives a host path (Z: is the host's root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

export VORTAN_BOARDS="$(winpath "$work/boards")"
export VORTAN_TRANSCRIPT="$(winpath "$work/transcript.jsonl")"
export VORTAN_ANSWERS="$(winpath "$work/answers.txt")"
: >"$work/answers.txt"
mkdir -p "$work/boards" "$work/local"
flash="$work/boards/BENCH/flash"

wine "$bin/vortan.exe" /RegServer >"$work/register.out" 2>&1 ||
    fail "registration: $(cat "$work/register.out")"
wine "$bin/vortan-board.exe" register >/dev/null || fail "board registration"
wine "$bin/vortan-board.exe" create BENCH >/dev/null || fail "board creation"

# Runs a script with cscript. Wine's cscript exits 0 even on a script error, so the script
# must also end its output with PASS.
run_vbs() {
    local script="$1"
    shift
    local out rc=0
    # Under ctest's own limit, so that a hang still shows what the servers did.
    # Into a file: a server that outlives its client would hold a pipe open.
    timeout 100 wine cscript //nologo "$(winpath "$here/$script")" "$@" >"$work/vbs.out" 2>&1 ||
        rc=$?
    out="$(cat "$work/vbs.out")"
    printf '%s\n' "$out"
    [ "$rc" -ne 124 ] || fail "$script hung"
    [ "$rc" -eq 0 ] || fail "$script exited $rc"
    # A server's crash shows only here: it shares the client's console.
    ! printf '%s' "$out" | grep -q 'Unhandled' || fail "a process crashed during $script"
    [ "$(printf '%s' "$out" | tr -d '\r' | tail -n 1)" = PASS ] || fail "$script did not pass"
}

# This case's servers still running: the ones that see its boards.
servers_left() {
    local p n=0
    for p in $(pgrep -f 'vortan\.exe'); do
        grep -qzxF "VORTAN_BOARDS=$VORTAN_BOARDS" "/proc/$p/environ" 2>/dev/null && n=$((n + 1))
    done
    echo "$n"
}

samples() {
    printf '[net]\r\nip=10.0.0.7\r\n' >"$work/local/net.ini"
    head -c 70000 /dev/urandom >"$work/local/axis.bin"
    printf 'Ü' >"$work/local/tiny.txt"
}

case "$case_name" in
round-trip)
    samples
    mkdir "$work/back"
    run_vbs RoundTrip.vbs BENCH "$(winpath "$work/local")" "$(winpath "$work/back")" \
        "$(winpath "$flash")"
    for f in net.ini axis.bin tiny.txt; do
        cmp "$work/local/$f" "$work/back/$f" || fail "$f read back differs"
    done
    [ -z "$(ls -A "$flash")" ] || fail "the format left files: $(ls "$flash")"
    ;;
two-servers)
    samples
    run_vbs TwoServers.vbs BENCH "$(winpath "$work/local")"
    cmp "$work/local/net.ini" "$flash/net.ini" || fail "the second server did not write"
    # A client gone without a release leaves no server behind (checked below). Into a file:
    # a server left running would hold a pipe open.
    wine cscript //nologo "$(winpath "$here/Abandon.vbs")" >"$work/abandon.out" 2>&1
    grep -q PASS "$work/abandon.out" || fail "Abandon.vbs: $(cat "$work/abandon.out")"
    ;;
questions)
    samples
    mkdir "$work/back"
    printf 'mine\r\n' >"$work/back/net.ini"
    run_vbs Questions.vbs BENCH "$(winpath "$work/local")" "$(winpath "$work/back")" \
        "$(winpath "$work/answers.txt")"
    grep -q '"template":133.*"text":"net.ini".*"answer":2' "$work/transcript.jsonl" ||
        fail "no overwrite question answered with Abbrechen in the transcript"
    cmp "$work/local/net.ini" "$work/back/net.ini" || fail "Ja did not overwrite"
    ;;
short-names)
    samples
    cp "$work/local/net.ini" "$work/local/toolongname.ini"
    printf '[texts]\r\n5053=Der Name %%s ist zu lang\r\n5009=VORTAN\r\n' >"$work/vortan.ini"
    run_vbs ShortNames.vbs BENCH "$(winpath "$work/local")" "$(winpath "$work/vortan.ini")"
    grep -q '"event":"messagebox".*"caption":"VORTAN","text":"Der Name toolongname.ini ist zu lang","type":48' \
        "$work/transcript.jsonl" || fail "no 8.3 message in the transcript"
    [ -z "$(ls -A "$flash")" ] || fail "a refused write wrote: $(ls "$flash")"
    ;;
typed-client)
    printf 'typed\r\n' >"$work/local/typed.ini"
    VORTAN_TEST_BOARD=BENCH VORTAN_TEST_DIR="$(winpath "$work/local")" \
        wine "$bin/test_typed_client.exe" --gtest_brief=1 || fail "the typed client"
    cmp "$work/local/typed.ini" "$flash/typed.ini" || fail "typed.ini differs on the board"
    ;;
*)
    fail "no case $case_name"
    ;;
esac

# Released servers end; give the last one a moment to go.
for _ in $(seq 50); do
    [ "$(servers_left)" -eq 0 ] && break
    sleep 0.1
done
[ "$(servers_left)" -eq 0 ] || fail "$(servers_left) server process(es) left running"
echo "PASS $case_name"
