#!/usr/bin/env bash
# Writes local files into a controller's memory through VORTAN and reads them back, with
# gdbus (package libglib2.0-bin) from the shell.
#
#   examples/round_trip.sh BOARD DIR FILE...
#
# FILEs are names in DIR. They are written into BOARD, read back into DIR/back and compared.
# Needs VORTAN registered on the session bus (vortan --register).
#
# Not usable yet: every `gdbus call` opens a connection of its own, and the server binds its
# object to the connection that created it and releases it when that connection closes, so
# the object is gone before WriteFile2 reaches it (UnknownObject). Its test is disabled until
# the server keeps objects for one-shot clients.
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

# gdbus parses each argument as a GVariant text: strings go in single quotes.
quote() { local s=${1//\\/\\\\}; printf "'%s'" "${s//\'/\\\'}"; }

# Calls one method on a fresh server (it ends after one transfer) and prints its outputs,
# e.g. "(0, 1)": the 32-bit return code first, then the out-parameters.
call() {
    local method="$1" server="" attempt
    shift
    # Each server serves one client: it gives up its well-known name when an object is
    # created on it. So start one, talk to its unique name, and start another if it was
    # taken meanwhile.
    for attempt in 1 2 3 4 5 6 7 8; do
        gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
            --method org.freedesktop.DBus.StartServiceByName "$bus_name" 0 \
            --timeout $no_timeout >/dev/null
        server=$(gdbus call --session --dest org.freedesktop.DBus \
            --object-path /org/freedesktop/DBus --method org.freedesktop.DBus.GetNameOwner \
            "$bus_name" | sed -E "s/^\('(.*)',\)$/\1/") || continue
        # CreateInstance() -> o: the object's path.
        path=$(gdbus call --session --dest "$server" --object-path /ZEPH/VORTAN/ClassFactory \
            --method ZEPH.VORTAN.ClassFactory.CreateInstance --timeout $no_timeout \
            2>/dev/null | sed -E "s/^\(objectpath '(.*)',\)$/\1/") && break
        server=""
    done
    [ -n "$server" ] || { echo "no VORTAN server could be started" >&2; return 1; }
    gdbus call --session --dest "$server" --object-path "$path" \
        --method "ZEPH.VORTAN.Application.$method" --timeout $no_timeout "$@"
}

# WriteFile2(s controller, s profile, s section, s files joined by ";", b option) -> (i, n)
files=""
for name in "${names[@]}"; do files+="${files:+;}$dir/$name"; done
out=$(call WriteFile2 "$(quote "$board")" "''" "''" "$(quote "$files")" false)
echo "WriteFile2: $out"
[ "$out" = "(0, 1)" ] || exit 1

# ReadFile2(s controller, s profile, s section, s directory, s names, b option) -> (i, n)
mkdir -p "$dir/back"
list=$(IFS=';'; echo "${names[*]}")
out=$(call ReadFile2 "$(quote "$board")" "''" "''" "$(quote "$dir/back")" "$(quote "$list")" false)
echo "ReadFile2: $out"
[ "$out" = "(0, 1)" ] || exit 1

for name in "${names[@]}"; do cmp "$dir/$name" "$dir/back/$name"; done
echo "${#names[@]} files came back identical"
