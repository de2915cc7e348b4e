#!/usr/bin/env bash
# Builds the Windows programs with mingw-w64 and runs their tests under wine:
#   - build-win64: the conversion library, its tests, ruvok-conv, the launcher and
#     its tests (64-bit), all run under wine64 through CTest;
#   - a ruvok-conv smoke test against nkf on the same texts;
#   - build-win32: the same for 32-bit Windows, the platform the program was
#     described for: built, the launcher checked, the tests run under 32-bit
#     wine (wine32:i386, which scripts/install-deps.sh installs), on every
#     machine whose kernel runs 32-bit programs (scripts/runs-32-bit.sh).
# Exits non-zero when any step fails; prints a summary at the end.
#
# Environment: JOBS (default 2), KEEP_WINEPREFIX=1 to keep the wine prefix.
set -uo pipefail

cd "$(dirname "$0")/.."
root=$PWD
jobs=${JOBS:-2}

declare -a summary=()
failed=0

step() {  # step NAME COMMAND...: runs a step, records its result and time
    local name=$1
    shift
    local start=$SECONDS
    echo "== $name"
    if "$@"; then
        summary+=("PASS  $name ($((SECONDS - start)) s)")
    else
        summary+=("FAIL  $name ($((SECONDS - start)) s)")
        failed=1
    fi
}

finish() {
    echo
    echo "== Windows summary"
    printf '  %s\n' "${summary[@]}"
    if [ "$failed" -ne 0 ]; then
        echo "test-windows: FAILED"
    else
        echo "test-windows: all passed"
    fi
}

for tool in x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix wine wineserver cmake ninja nkf; do
    if ! command -v "$tool" >/dev/null; then
        echo "test-windows: $tool is missing; run scripts/install-deps.sh" >&2
        exit 1
    fi
done

# --- wine: a fresh prefix for this run, shut down and removed at the end.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/ruvok-wine.XXXXXX")
export WINEPREFIX
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    if [ "${KEEP_WINEPREFIX:-0}" != 1 ]; then
        rm -rf "$WINEPREFIX"
    fi
}
trap cleanup EXIT

# The tests run as on a Japanese Windows: ANSI code page 932. wine takes it from
# the locale's name (the locale need not be installed). Set only for wine's
# processes, through env, so that this shell never tries to switch to it.
wine_env=(env LC_ALL=ja_JP.UTF-8)

init_wine() {
    "${wine_env[@]}" wineboot -i >/dev/null 2>&1 && wineserver -w
}

configure_and_build() {  # configure_and_build DIR TOOLCHAIN [TARGET...]
    local dir=$1 toolchain=$2
    shift 2
    cmake -S "$root" -B "$root/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DRUVOK_BUILD_VIEWER=OFF -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" >/dev/null &&
        if [ $# -gt 0 ]; then
            cmake --build "$root/$dir" -j "$jobs" --target "$@"
        else
            cmake --build "$root/$dir" -j "$jobs"
        fi
}

# The launcher is a GUI program with no resources of any kind.
check_launcher_image() {  # check_launcher_image EXE OBJDUMP
    local exe=$1 objdump=$2
    [ -f "$exe" ] || { echo "missing: $exe"; return 1; }
    local sections headers dlls
    sections=$("$objdump" -h "$exe") && headers=$("$objdump" -p "$exe") || return 1
    if grep -q '\.rsrc' <<<"$sections"; then
        echo "$exe has a resource section"
        return 1
    fi
    grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || { echo "$exe is not a GUI program"; return 1; }
    # Every runtime library linked in: only system DLLs are imported.
    dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
    echo "$exe imports: $dlls"
    case "$dlls" in
        *libstdc++*|*libgcc*|*libwinpthread*) echo "$exe needs a MinGW runtime DLL"; return 1 ;;
    esac
}

run_ctest() {  # run_ctest DIR
    "${wine_env[@]}" ctest --test-dir "$root/$1" -j "$jobs" --output-on-failure --timeout 300
}

# ruvok-conv.exe on the same texts as nkf: JIS, EUC-JP and Shift_JIS in, Shift_JIS
# with CR LF out; --detect; --utf8 (compared without its CRs).
smoke_ruvok_conv() {
    local exe="$root/build-win64/tools/ruvok-conv.exe"
    [ -f "$exe" ] || { echo "missing: $exe"; return 1; }
    local dir
    dir=$(mktemp -d "${TMPDIR:-/tmp}/ruvok-conv-smoke.XXXXXX")
    printf '%s\n' '漢字かなカナ表示テスト ASCII 123' 'ソフト 能力 表' '' '最後の行' >"$dir/utf8.txt"
    nkf -W -j "$dir/utf8.txt" >"$dir/jis.txt"
    nkf -W -e "$dir/utf8.txt" >"$dir/euc.txt"
    nkf -W -s "$dir/utf8.txt" >"$dir/sjis.txt"
    nkf -W -s -Lw "$dir/utf8.txt" >"$dir/expected.txt"
    local ok=0 code
    for input in jis euc sjis; do
        if ! (cd "$dir" && "${wine_env[@]}" wine "$exe" "$input.txt" >"$input.out"); then
            echo "ruvok-conv.exe $input.txt failed"
            ok=1
        elif ! cmp -s "$dir/$input.out" "$dir/expected.txt"; then
            echo "ruvok-conv.exe $input.txt: output differs from nkf -s -Lw"
            ok=1
        fi
    done
    for pair in jis:JIS euc:EUC sjis:SJIS; do
        code=$(cd "$dir" && "${wine_env[@]}" wine "$exe" --detect "${pair%%:*}.txt" | tr -d '\r')
        case "$code" in
            *"${pair#*:}"*) ;;
            *) echo "ruvok-conv.exe --detect ${pair%%:*}.txt said: $code"; ok=1 ;;
        esac
    done
    if (cd "$dir" && "${wine_env[@]}" wine "$exe" --utf8 euc.txt >utf8.out); then
        if ! tr -d '\r' <"$dir/utf8.out" | cmp -s - "$dir/utf8.txt"; then
            echo "ruvok-conv.exe --utf8 euc.txt: output differs from the text"
            ok=1
        fi
    else
        echo "ruvok-conv.exe --utf8 failed"
        ok=1
    fi
    rm -rf "$dir"
    return $ok
}

have_wine32() {
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'
}

step "wine prefix initialised" init_wine
step "build-win64: configure and build" configure_and_build build-win64 mingw-w64-x86_64.cmake
step "build-win64: launcher.exe image" check_launcher_image "$root/build-win64/launcher/launcher.exe" x86_64-w64-mingw32-objdump
step "build-win64: tests under wine64" run_ctest build-win64
step "build-win64: ruvok-conv.exe smoke test" smoke_ruvok_conv
step "build-win32: configure and build" configure_and_build build-win32 mingw-w64-i686.cmake
step "build-win32: launcher.exe image" check_launcher_image "$root/build-win32/launcher/launcher.exe" i686-w64-mingw32-objdump
if ! bash "$root/scripts/runs-32-bit.sh"; then
    echo "test-windows: this machine's kernel runs no 32-bit programs, so no 32-bit wine here" >&2
    summary+=("SKIP  build-win32: tests (this machine runs no 32-bit programs)")
elif have_wine32; then
    step "build-win32: tests under wine (32-bit)" run_ctest build-win32
else
    # install-deps tries it on its own, and a mirror still syncing its i386
    # index can refuse it for a while: said loudly, but not a failed build
    echo "test-windows: wine32:i386 is missing (scripts/install-deps.sh could not install it)" >&2
    summary+=("SKIP  build-win32: tests (no 32-bit wine: wine32:i386 could not be installed)")
fi

finish
exit $failed
