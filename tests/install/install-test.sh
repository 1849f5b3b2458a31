#!/usr/bin/env bash
# The installed tree, as board owners and users get it: `cmake --install` into a temporary
# prefix; examples/plugin, copied out of the repository, built against that prefix alone;
# then on a private bus the installed programs with the example and with the simulated board
# of the system registry (in-session.sh); the bash completions; the man pages.
#
#   install-test.sh BUILD_DIR SOURCE_DIR CXX [SANITIZERS [COMPILER_LAUNCHER]]
#
# SANITIZERS are the build's (-fsanitize=): the example is built with them too, so that its
# code is checked like the program's when the ASan server runs it.
set -uo pipefail

build="$1" source="$2" cxx="$3" sanitize="${4:-}" launcher="${5:-}"
work="$(mktemp -d "${TMPDIR:-/tmp}/vortan-install.XXXXXX")"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >/dev/null || {
    echo "FAIL: cmake --install" >&2
    exit 1
}
grep -qx "Exec=$prefix/bin/vortan --automation" \
    "$prefix/share/dbus-1/services/ZEPH.VORTAN.Application._7.service" ||
    fail "the service file does not start the installed server"

cp -r "$source/examples/plugin" "$work/example-src"
flags=(-DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx"
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
[ -n "$launcher" ] && flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER="$launcher")
[ -n "$sanitize" ] && flags+=(-DCMAKE_CXX_FLAGS="-fsanitize=$sanitize -fno-omit-frame-pointer -fno-sanitize-recover=all"
    -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=$sanitize")
if ! cmake -S "$work/example-src" -B "$work/example" -G Ninja "${flags[@]}" >"$work/log" 2>&1 ||
    ! cmake --build "$work/example" >>"$work/log" 2>&1; then
    cat "$work/log" >&2
    echo "FAIL: the example plug-in does not build against the installed SDK" >&2
    exit 1
fi
# The C++ client example, against Vortan::Client alone.
cp -r "$source/examples/client" "$work/client-src"
[ -n "$sanitize" ] && flags+=(-DCMAKE_EXE_LINKER_FLAGS="-fsanitize=$sanitize")
if ! cmake -S "$work/client-src" -B "$work/client" -G Ninja "${flags[@]}" >"$work/log" 2>&1 ||
    ! cmake --build "$work/client" >>"$work/log" 2>&1; then
    cat "$work/log" >&2
    echo "FAIL: the example client does not build against the installed SDK" >&2
    exit 1
fi
# Other build systems go through pkg-config: the same client, and the plug-in's sources.
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
san=()
[ -n "$sanitize" ] && san=(-fsanitize="$sanitize")
# shellcheck disable=SC2046 # the flags are words
"$cxx" "${san[@]}" -o "$work/client-pc" "$source/examples/client/RoundTrip.cpp" \
    $(pkg-config --cflags --libs vortan-client) 2>"$work/log" ||
    fail "vortan-client.pc does not build the client: $(cat "$work/log")"
for unit in "$source"/examples/plugin/*.cpp; do
    # shellcheck disable=SC2046
    "$cxx" -c -o "$work/unit.o" "$unit" $(pkg-config --cflags vortan-component) 2>"$work/log" ||
        fail "vortan-component.pc does not compile $(basename "$unit"): $(cat "$work/log")"
done

VORTAN_EXAMPLE_BOARDS="$work/example-boards" "$source/scripts/private-session" "$prefix" \
    "$(dirname "$0")/in-session.sh" "$prefix/bin" "$prefix/etc/xdg" "$work/session" \
    "$work/example/libexample-board.so" "$work/client/round-trip" || fail "on the bus (above)"

# complete WORD...: what the installed completions offer for the last word.
complete_words() {
    bash -c 'source /usr/share/bash-completion/bash_completion
        for f in "$1"/share/bash-completion/completions/*; do source "$f"; done
        shift
        COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMP_LINE="$*" COMP_POINT=${#COMP_LINE}
        func="$(complete -p "$1" | sed -n "s/.*-F \([^ ]*\) .*/\1/p")"
        "$func" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        echo "${COMPREPLY[*]}"' complete "$prefix" "$@"
}
if [ -f /usr/share/bash-completion/bash_completion ]; then
    got="$(complete_words vortanctl wr)"
    [ "$got" = write ] || fail "vortanctl wr<TAB> gives \"$got\""
    got="$(complete_words vortan-board c)"
    [ "$got" = create ] || fail "vortan-board c<TAB> gives \"$got\""
else
    echo "bash-completion is not installed: completions not checked"
fi

if command -v man >/dev/null; then
    for page in "$prefix"/share/man/man1/{vortan,vortanctl,vortan-board}.1.gz; do
        warnings="$(man --warnings -l -Tutf8 "$page" 2>&1 >/dev/null)"
        [ -z "$warnings" ] || fail "man $page: $warnings"
    done
else
    echo "man is not installed: man pages not checked"
fi

exit $((failures != 0))
