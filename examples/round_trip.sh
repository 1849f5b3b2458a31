#!/usr/bin/env bash
# Writes local files into a controller's memory through VORTAN and reads them back, with
# gdbus (package libglib2.0-bin) from the shell.
#
#   examples/round_trip.sh BOARD DIR FILE...
#
# FILEs are names in DIR. They are written into BOARD, read back into DIR/back and compared.
# Needs VORTAN registered on the session bus (vortan --register).
#
# Every `gdbus call` is a connection of its own. The server lets any connection call its
# object and keeps it for a grace period (60 s, VORTAN_RELEASE_GRACE) after the last call of
# a client that has left, so one-shot calls work as long as they follow each other.
set -euo pipefail

if [ $# -lt 3 ]; then
    echo "usage: $0 BOARD DIR FILE..." >&2
    exit 2
fi
board="$1"
dir="$(cd "$2" && pwd)" # the server does not run in our directory: absolute paths only
shift 2
names=("$@")

bus_name=ZEPH.VORTAN.Application._7
# A call may wait for a person (an overwrite question), so it must not time out. gdbus takes
# seconds and has no "infinite"; this is the longest it accepts (about 24 days).
no_timeout=2147483
bus() { gdbus call --session --timeout $no_timeout "$@"; }
errors="$(mktemp)"
trap 'rm -f "$errors"' EXIT

# gdbus parses each argument as a GVariant text: strings go in single quotes.
quote() { local s=${1//\\/\\\\}; printf "'%s'" "${s//\'/\\\'}"; }

# Calls one method on a fresh server (it ends after one transfer) and prints its outputs,
# e.g. "(0, int16 1)": the 32-bit return code first, then the out-parameters (gdbus
# names every type but its defaults, int32 and string). Then it gives the object back, so
# that a server whose run did not end it ends now instead of after the grace period.
call() {
    local method="$1" server="" path="" out status ms pause=20 deadline=$((SECONDS + 60))
    shift
    # A server serves one client and gives up its well-known name when an object is created
    # on it: start one, talk to its unique name, and start another if it was taken meanwhile
    # (SingleUse, NameHasNoOwner, ServiceUnknown, NoReply, UnknownObject), after a random
    # pause that grows with each try, until the deadline.
    while :; do
        : >"$errors"
        if bus --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
            --method org.freedesktop.DBus.StartServiceByName "$bus_name" 0 >/dev/null 2>>"$errors" &&
            server=$(bus --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
                --method org.freedesktop.DBus.GetNameOwner "$bus_name" 2>>"$errors" |
                sed -E "s/^\('(.*)',\)$/\1/") &&
            # CreateInstance() -> o: the object's path.
            path=$(bus --dest "$server" --object-path /ZEPH/VORTAN/ClassFactory \
                --method ZEPH.VORTAN.ClassFactory.CreateInstance 2>>"$errors" |
                sed -E "s/^\(objectpath '(.*)',\)$/\1/") && [ -n "$path" ]; then
            break
        fi
        grep -qE 'SingleUse|NameHasNoOwner|ServiceUnknown|NoReply|UnknownObject' "$errors" ||
            [ ! -s "$errors" ] || { cat "$errors" >&2; return 1; }
        [ $SECONDS -lt $deadline ] || { echo "no VORTAN server could be started" >&2; return 1; }
        ms=$((pause / 2 + RANDOM % (pause + 1)))
        sleep "$((ms / 1000)).$(printf '%03d' $((ms % 1000)))"
        pause=$((pause * 2 > 999 ? 999 : pause * 2))
    done
    status=0
    out=$(bus --dest "$server" --object-path "$path" --method "ZEPH.VORTAN.Application.$method" "$@") ||
        status=$?
    # A server that ended with its run has nothing left to release.
    bus --dest "$server" --object-path "$path" --method ZEPH.VORTAN.Application.Release \
        >/dev/null 2>&1 || true
    echo "$out"
    return $status
}

# WriteFile2(s controller, s profile, s section, s files joined by ";", b option) -> (i, n)
files=""
for name in "${names[@]}"; do files+="${files:+;}$dir/$name"; done
out=$(call WriteFile2 "$(quote "$board")" "''" "''" "$(quote "$files")" false)
echo "WriteFile2: $out"
[ "$out" = "(0, int16 1)" ] || exit 1

# ReadFile2(s controller, s profile, s section, s directory, s names, b option) -> (i, n)
mkdir -p "$dir/back"
list=$(IFS=';'; echo "${names[*]}")
out=$(call ReadFile2 "$(quote "$board")" "''" "''" "$(quote "$dir/back")" "$(quote "$list")" false)
echo "ReadFile2: $out"
[ "$out" = "(0, int16 1)" ] || exit 1

for name in "${names[@]}"; do cmp "$dir/$name" "$dir/back/$name"; done
echo "${#names[@]} files came back identical"
