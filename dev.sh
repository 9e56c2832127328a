#!/usr/bin/env bash
# Sets up, builds and runs Vemo on Debian 12 or later.
#   ./dev.sh start      install what building and running need, build Vemo alone, start it
#   ./dev.sh test       install what the tests need as well, build, run the whole test suite
#   ./dev.sh sanitize   the test suite built with AddressSanitizer and UBSan
#   ./dev.sh fuzz       a minute of libFuzzer on the pane's display mapping (clang)
#   ./dev.sh bench      the benchmarks (release build)
#   ./dev.sh package    the Debian package, in build/package
#   ./dev.sh windows    the Windows program, its zip and its installer, in build/windows
#   ./dev.sh windows-test  the Windows build, its tests run under Wine
#   ./dev.sh windows-bench [MiB ...]  the Windows pane's benchmark under Wine
set -euo pipefail
cd "$(dirname "$0")"

usage() {
    awk 'NR == 1 { next } !/^#/ { exit } { sub(/^# ?/, ""); print }' "$0"
}

# Installs with apt-get the packages of the given lists that are not installed yet.
install_missing() {
    local missing=() pkg
    while read -r pkg; do
        [[ -z "$pkg" || "$pkg" == \#* ]] && continue
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done < <(cat "$@")
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local sudo=()
        ((EUID == 0)) || sudo=(sudo)
        "${sudo[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

install_all() {
    install_missing packaging/build-deps.txt packaging/test-deps.txt
}

build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

cmd=${1:-}
case "$cmd" in
start)
    if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
        echo "Vemo needs a graphical session: run ./dev.sh start in a terminal of your desktop (no DISPLAY or WAYLAND_DISPLAY here)." >&2
        exit 1
    fi
    install_missing packaging/build-deps.txt
    # A tree configured before needs no new configure: the build runs it again itself
    # when a CMakeLists.txt has changed, and builds only what is not current.
    [[ -f build/app/build.ninja ]] || cmake --preset app >/dev/null
    exec cmake --build --preset app --target run
    ;;
test)
    install_all
    build debug
    ctest --preset debug
    ;;
sanitize)
    install_all
    build sanitize
    ctest --preset sanitize
    ;;
fuzz)
    install_all
    build fuzz
    ctest --preset fuzz
    ;;
bench)
    install_all
    build release
    build/release/bench/bench_text
    build/release/bench/bench_pane
    ;;
package)
    install_all
    build package
    (cd build/package && cpack -G DEB)
    ;;
windows)
    install_missing packaging/windows-deps.txt
    build windows
    ls -1 build/windows/vemo.exe build/windows/vemo-*-windows.zip build/windows/vemo-*-setup.exe
    ;;
windows-test)
    install_missing packaging/windows-deps.txt
    build windows
    ctest --preset windows
    ;;
windows-bench)
    install_missing packaging/windows-deps.txt
    build windows
    shift
    # In the tests' Wine prefix, on the X display of a Wine session of its own.
    export WINEPREFIX=$PWD/build/windows/wineprefix WINEDEBUG=-all
    bash tests/wine_session.sh start
    trap 'bash tests/wine_session.sh stop' EXIT
    DISPLAY=:$(head -n1 "$WINEPREFIX/display") wine build/windows/bench/win32/bench_win32_pane.exe "$@"
    ;;
*)
    usage
    exit 2
    ;;
esac
