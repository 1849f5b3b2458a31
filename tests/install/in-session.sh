#!/usr/bin/env bash
# What a user does with an installed VORTAN, run inside scripts/private-session with the
# installed tree as its BUILD_DIR (install-test.sh, package-test.sh):
#
#   in-session.sh BIN_DIR XDG_CONFIG_DIR WORK [PLUGIN [CLIENT]]
#
# With PLUGIN (the example plug-in), it is registered with the installed `vortan
# --register-plugin` and driven by the installed vortanctl: write, read, remove and format
# succeed (result 1 needs each item's end event), the bytes come back, the profile's status
# text shows; a controller with no board is refused, and so is the simulated board's
# controller by the example's flash handling class. Then the servers stop seeing the
# session's own class registry, and the simulated board is found through the system registry
# under XDG_CONFIG_DIR alone, for a write and a read, with vortanctl and, given CLIENT, with
# the C++ client example built against the installed SDK.
set -uo pipefail

bin="$1" xdg="$2" work="$3" plugin="${4:-}" client="${5:-}"
ctl="$bin/vortanctl"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# expect EXIT OUTPUT-PATTERN COMMAND...: the exit code, and stdout against the pattern.
expect() {
    local want_exit="$1" pattern="$2" out got
    shift 2
    out="$("$@" 2>"$work/stderr")"
    got=$?
    [ "$got" = "$want_exit" ] || fail "$* exited $got, not $want_exit: $out $(cat "$work/stderr")"
    [[ "$out" =~ $pattern ]] || fail "$*: \"$out\" does not match /$pattern/"
}
ok='^code=0x00000000 (selector=1 )?result=1$'

mkdir -p "$work/src" "$work/back" "$work/sim-back"
printf '[a]\nx=1\n' >"$work/src/a.ini"
head -c 200000 /dev/urandom >"$work/src/big.bin" # several chunks: progress events
dbus-update-activation-environment VORTAN_TRANSCRIPT="$work/transcript" ||
    fail "cannot hand the transcript to the bus"
"$bin/vortan-board" create SIM >/dev/null || fail "vortan-board create"

if [ -n "$plugin" ]; then
    expect 0 'controller access class.*flash handling class' \
        "$bin/vortan" --register-plugin "$plugin"
    board="$VORTAN_EXAMPLE_BOARDS/PLC1"
    mkdir -p "$board"
    printf '[Example]\n5048=Example writes %%s\n' >"$work/texts.ini"
    expect 0 "$ok" "$ctl" -q -c PLC1 --profile "$work/texts.ini" --section Example \
        write "$work/src/a.ini" "$work/src/big.bin"
    cmp -s "$work/src/big.bin" "$board/big.bin" || fail "big.bin not on the example board"
    grep -q 'Example writes big.bin' "$work/transcript" ||
        fail "the profile's status text did not show: $(cat "$work/transcript")"
    expect 0 "$ok" "$ctl" -q -c PLC1 -d "$work/back" read a.ini big.bin
    cmp -s "$work/src/a.ini" "$work/back/a.ini" || fail "a.ini not read back"
    cmp -s "$work/src/big.bin" "$work/back/big.bin" || fail "big.bin not read back"
    expect 0 "$ok" "$ctl" -q -c PLC1 remove a.ini
    { [ ! -e "$board/a.ini" ] && [ -e "$board/big.bin" ]; } || fail "remove: $(ls -A "$board")"
    expect 0 "$ok" "$ctl" -q -c PLC1 format
    [ -z "$(ls -A "$board")" ] || fail "format left $(ls -A "$board")"
    # No board of that name: the example refuses the connection, with its own error code 1.
    expect 1 'result=0 error=1 ' "$ctl" -q -c NOSUCH write "$work/src/a.ini"
    # The simulated board's controller with the example's flash handling: it connects (no
    # error of its own), but the flash handling refuses it and writes nothing.
    controller='{5CE68222-DDD2-11D2-977D-00104B49CBE6}'
    simboard="$bin/../lib/vortan/libvortan-simboard.so"
    sed -i "s|^$controller=.*|$controller=$simboard|" "$VORTAN_CLASSES"
    expect 1 'result=0 error=0 ' "$ctl" -q -c SIM write "$work/src/a.ini"
    [ -z "$(ls -A "$VORTAN_BOARDS/SIM/flash")" ] || fail "a foreign controller was used"
fi

# The system registry alone: no VORTAN_CLASSES, and a config home without registries.
mkdir -p "$work/empty-config"
dbus-update-activation-environment VORTAN_CLASSES= XDG_CONFIG_HOME="$work/empty-config" \
    XDG_CONFIG_DIRS="$xdg" || fail "cannot hand the environment to the bus"
expect 0 "$ok" "$ctl" -q -c SIM write "$work/src/big.bin"
expect 0 "$ok" "$ctl" -q -c SIM -d "$work/sim-back" read big.bin
cmp -s "$work/src/big.bin" "$work/sim-back/big.bin" ||
    fail "the simulated board of the system registry did not give big.bin back"

# The C++ client example (examples/client) does the same through the client library.
if [ -n "$client" ]; then
    mkdir -p "$work/client-back"
    "$client" SIM "$work/client-back" "$work/src/a.ini" >"$work/client.out" 2>&1 ||
        fail "the example client: $(cat "$work/client.out")"
    cmp -s "$work/src/a.ini" "$work/client-back/a.ini" || fail "the example client read nothing"
fi

exit $((failures != 0))
