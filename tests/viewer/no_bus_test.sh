#!/usr/bin/env bash
# Started without a session bus, on an X display of its own, the viewer
# autolaunches none: once it is gone, no process it started (dbus-launch,
# a dbus-daemon) is left. Usage: no_bus_test.sh RUVOK
set -uo pipefail
ruvok=$1
command -v Xvfb >/dev/null || { echo "skipped: Xvfb is missing (scripts/install-deps.sh)"; exit 0; }

display=
for n in 141 142 143 144 145 146 147 148 149; do
    if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then display=:$n; break; fi
done
[ -n "$display" ] || { echo "FAIL: no free display in :141 to :149"; exit 1; }

home=$(mktemp -d /tmp/ruvok-nobus-XXXXXX)
mark=ruvok-no-bus-$$-$RANDOM
Xvfb "$display" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    rm -rf "$home"
}
trap cleanup EXIT
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X${display#:} ] && break; sleep 0.1; done

# What the processes the viewer started carry: the mark in their environment.
left() {
    grep -lsa "RUVOK_TEST_MARK=$mark" /proc/[0-9]*/environ 2>/dev/null |
        while read -r f; do d=${f%/environ}; echo "${d#/proc/} $(cat "$d/comm" 2>/dev/null)"; done
}

env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
    DISPLAY="$display" RUVOK_TEST_MARK="$mark" \
    ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"} \
    ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} \
    "$ruvok" >"$home/out.log" 2>&1 &
viewer=$!
sleep 4
kill -0 "$viewer" 2>/dev/null || { cat "$home/out.log"; echo "FAIL: the viewer did not stay up"; exit 1; }
kill "$viewer"
wait "$viewer" 2>/dev/null
sleep 0.5
stayed=$(left)
if [ -n "$stayed" ]; then
    echo "FAIL: processes the viewer started outlived it:"
    echo "$stayed"
    for p in $(echo "$stayed" | cut -d' ' -f1); do kill "$p" 2>/dev/null; done
    exit 1
fi
echo "nothing the viewer started outlived it"
