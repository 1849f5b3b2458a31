#!/usr/bin/env bash
# vortanctl against the real server on a private bus (run inside scripts/private-session):
# every verb, its output and exit code, relative paths, a missing board, a cancelled read,
# the progress bar on a terminal, concurrent clients, names and texts beyond ASCII or UTF-8,
# no Qt in the client, and no server left once released. Nobody answers questions: every
# question is cancelled.
#
#   ctl-test.sh BUILD_DIR
set -uo pipefail

bin="$1/bin"
ctl="$bin/vortanctl"
work="$(mktemp -d "${TMPDIR:-/tmp}/vortanctl-test.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# expect EXIT OUTPUT-PATTERN COMMAND...: runs the command, checks its exit code and that its
# stdout matches the extended regular expression.
expect() {
    local want_exit="$1" pattern="$2"
    shift 2
    out="$("$@" 2>"$work/stderr")"
    local got=$?
    [ "$got" = "$want_exit" ] || fail "$* exited $got, not $want_exit (stdout: $out; stderr: $(cat "$work/stderr"))"
    [[ "$out" =~ $pattern ]] || fail "$*: \"$out\" does not match /$pattern/"
}
flash() { echo "$VORTAN_BOARDS/$1/flash"; }
# The servers of this session still running (started by its bus, they share its boards).
servers() {
    for p in $(pgrep -x vortan); do
        grep -qzxF "VORTAN_BOARDS=$VORTAN_BOARDS" "/proc/$p/environ" 2>/dev/null && echo "$p"
    done
}
# no_servers_left WHAT: every server has ended once its client released the object.
no_servers_left() {
    for _ in $(seq 100); do [ -z "$(servers)" ] && return 0 || sleep 0.1; done
    fail "$1 left servers running: $(servers | tr '\n' ' ')"
}

"$bin/vortan-board" create T1 --capacity 4194304 --max-files 16 >/dev/null
mkdir -p "$work/src/sub" "$work/elsewhere" "$work/back"
printf '[a]\nx=1\n' >"$work/src/a.ini"
head -c 300000 /dev/urandom >"$work/src/sub/big.bin"
printf 'empty name list aside, a third file\n' >"$work/src/c.txt"

# Usage errors never reach the server.
expect 2 '^$' "$ctl" write a.ini
expect 2 '^$' "$ctl" -c T1 bogus
expect 2 '^$' "$ctl" -c T1 --frobnicate write a.ini
expect 2 '^$' "$ctl" call RemoveFiles T1
grep -q "Try 'vortanctl --help'" "$work/stderr" || fail "usage error without a hint"
expect 0 'Exit codes:' "$ctl" --help

# Relative local paths from another directory: the server must get absolute ones.
cd "$work/src"
expect 0 '^code=0x00000000 result=1$' "$ctl" -q -c T1 write a.ini sub/big.bin
cmp -s "$work/src/a.ini" "$(flash T1)/a.ini" || fail "a.ini not written from a relative path"
cmp -s "$work/src/sub/big.bin" "$(flash T1)/big.bin" || fail "big.bin not written"

# Read into a relative directory.
cd "$work"
expect 0 '^code=0x00000000 result=1$' "$ctl" -q -c T1 -d back read a.ini big.bin
cmp -s "$work/src/a.ini" "$work/back/a.ini" || fail "a.ini not read back"
cmp -s "$work/src/sub/big.bin" "$work/back/big.bin" || fail "big.bin not read back"

# A read onto an existing file: the question is cancelled, nothing is read (exit 3).
echo "local, keep me" >"$work/back/a.ini"
expect 3 '^code=0x00000000 result=2$' "$ctl" -q -c T1 -d "$work/back" read big.bin a.ini
[ "$(cat "$work/back/a.ini")" = "local, keep me" ] || fail "cancelled read changed the file"

# A board that does not exist: the call goes through, the transfer fails (exit 1), and the
# same server tells why (2: no such board); released, it ends.
expect 1 '^code=0x00000000 result=0 error=2 value1=0 value2=0 value3=0$' \
    "$ctl" -q -c NOSUCHBOARD write "$work/src/c.txt"
no_servers_left "a refused board"
expect 1 '"lastError":\{"error":2,' "$ctl" -q --json -c NOSUCHBOARD remove x.ini
# A run with nothing to do succeeds without connecting; its server ends as well.
expect 0 '^code=0x00000000 result=1$' "$ctl" -q call RemoveFiles2 T1 '' '' '' false
no_servers_left "an empty list"

# --json: one object a program can read.
out="$("$ctl" -q --json -c T1 remove a.ini)"
/usr/bin/python3 -c '
import json, sys
o = json.loads(sys.argv[1])
assert o == {"verb": "remove", "method": "RemoveFiles2", "code": "0x00000000", "exit": 0,
             "ok": True, "result": 1}, o' "$out" || fail "remove --json: $out"
[ ! -e "$(flash T1)/a.ini" ] || fail "a.ini not removed"
[ -e "$(flash T1)/big.bin" ] || fail "remove took big.bin too"

# call by DISPID (10 WriteFile2) and by name, arguments typed by the signature.
expect 0 '^code=0x00000000 result=1$' "$ctl" -q call 10 T1 '' '' "$work/src/c.txt" true
cmp -s "$work/src/c.txt" "$(flash T1)/c.txt" || fail "call 10 did not write c.txt"
expect 0 '^code=0x00000000 result=1$' "$ctl" -q call readfile T1 '' '' "$work/elsewhere" c.txt
cmp -s "$work/src/c.txt" "$work/elsewhere/c.txt" || fail "call readfile did not read c.txt"
expect 0 '^code=0x00000000 error=0 value1=0 value2=0 value3=0$' "$ctl" call GetLastErrorCode

# format empties the memory; the selector comes back as 1.
expect 0 '^code=0x00000000 selector=1 result=1$' "$ctl" -q -c T1 format
[ -z "$(ls -A "$(flash T1)")" ] || fail "format left files"

expect 2 '^$' "$ctl" last-error
expect 0 '^code=0x00000000$' "$ctl" close

# The selections: nobody answers, so both are cancelled (exit 3) ...
expect 3 "^code=0x00000000 files='' result=2$" "$ctl" -q select-files
expect 3 "^code=0x00000000 directory='' result=2$" "$ctl" -q select-dir
# ... and with answers for the servers the bus starts from now on, the choice is printed.
printf 'filedialog ok %s %s\nfolder ok "%s"\n' "$work/src/a.ini" "$work/src/c.txt" \
    "$work/back" >"$work/answers"
dbus-update-activation-environment VORTAN_ANSWERS="$work/answers" \
    VORTAN_TRANSCRIPT="$work/transcript" || fail "cannot hand the answer file to the bus"
expect 0 "^code=0x00000000 files='$work/src/a.ini;$work/src/c.txt' result=1$" \
    "$ctl" -q select-files "$work/src"
expect 0 "^code=0x00000000 directory=$work/back result=1$" "$ctl" -q select-dir
# Only the browsers show; their hosts (dialogs 131 and 132) stay hidden.
grep -q '"event":"folder"' "$work/transcript" || fail "no transcript of the selections"
! grep -q '"template":13[12],' "$work/transcript" || fail "a selection host was shown"
dbus-update-activation-environment VORTAN_ANSWERS="$work/no-such.answers"
no_servers_left "the selections"

# Clients starting together each get a server of their own, and every server ends.
for i in $(seq 20); do "$bin/vortan-board" create "P$i" >/dev/null; done
for i in $(seq 20); do
    ("$ctl" -q -c "P$i" write "$work/src/a.ini" >"$work/p$i.out" 2>&1; echo $? >>"$work/p$i.out") &
done
wait
for i in $(seq 20); do
    [ "$(tail -n1 "$work/p$i.out")" = 0 ] && cmp -s "$work/src/a.ini" "$(flash "P$i")/a.ini" ||
        fail "P$i: $(cat "$work/p$i.out")"
done
no_servers_left "concurrent clients"

# The progress bar: drawn on a terminal, from the server's Progress signals. A slow board
# makes the write last long enough for several reports.
"$bin/vortan-board" create SLOW --speed 600000 >/dev/null
script -qec "'$ctl' -c SLOW write '$work/src/sub/big.bin'" /dev/null >"$work/tty" </dev/null
grep -qE '\[#*-*\] +[0-9]+%' "$work/tty" || fail "no progress bar on a terminal: $(cat -v "$work/tty")"
grep -q 'code=0x00000000 result=1' "$work/tty" || fail "terminal run failed: $(cat -v "$work/tty")"
# ... and not when stdout is no terminal.
out="$("$ctl" -c SLOW remove big.bin)"
[ "$out" = "code=0x00000000 result=1" ] || fail "progress in a pipe: $(echo "$out" | cat -v)"

# Beyond ASCII: board, file name and profile texts with umlauts and a 4-byte character go
# through unchanged, into the memory, back, and into the status line.
u="Prüfstand-😀" f="Grüße-😀.ini"
"$bin/vortan-board" create "$u" --speed 600000 >/dev/null
cp "$work/src/sub/big.bin" "$work/src/$f"
printf '[Prüfung]\n5048=Schreibe %%s – äöü 😀\n' >"$work/texte.ini"
script -qec "'$ctl' -c '$u' --profile '$work/texte.ini' --section Prüfung write '$work/src/$f'" \
    /dev/null >"$work/tty-u" </dev/null
grep -q "Schreibe $f – äöü 😀" "$work/tty-u" || fail "texts beyond ASCII: $(cat -v "$work/tty-u")"
cmp -s "$work/src/$f" "$(flash "$u")/$f" || fail "$f not written into $u"
mkdir "$work/zurück"
expect 0 '^code=0x00000000 result=1$' "$ctl" -q -c "$u" -d "$work/zurück" read "$f"
cmp -s "$work/src/$f" "$work/zurück/$f" || fail "$f not read back from $u"

# Bytes that are no UTF-8 reach the server replaced (U+FFFD), not refused by the bus library:
# the board has no such file.
expect 1 '^code=0x00000000 result=0 error=8 ' "$ctl" -q -c T1 remove $'\xe4.ini'

# The command-line client loads no Qt.
! ldd "$ctl" | grep -q libQt || fail "vortanctl links Qt: $(ldd "$ctl" | grep libQt)"

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "all vortanctl checks passed"
