#!/usr/bin/env bash
# Sets up, builds and runs Vemo on Debian 12.
#   ./dev.sh start      install what is missing, build, start Vemo
#   ./dev.sh test       install what is missing, build, run the whole test suite
#   ./dev.sh sanitize   the test suite built with AddressSanitizer and UBSan
#   ./dev.sh fuzz       a minute of libFuzzer on the pane's display mapping (clang)
#   ./dev.sh bench      the benchmarks (release build)
#   ./dev.sh package    the Debian package, in build/release
set -euo pipefail
cd "$(dirname "$0")"

install_missing() {
    local missing=()
    while read -r pkg; do
        [[ -z "$pkg" || "$pkg" == \#* ]] && continue
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done < packaging/build-deps.txt
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local sudo=()
        ((EUID == 0)) || sudo=(sudo)
        "${sudo[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

cmd=${1:-}
case "$cmd" in
start)
    install_missing
    build release
    exec build/release/vemo
    ;;
test)
    install_missing
    build debug
    ctest --preset debug
    ;;
sanitize)
    install_missing
    build sanitize
    ctest --preset sanitize
    ;;
fuzz)
    install_missing
    build fuzz
    ctest --preset fuzz
    ;;
bench)
    install_missing
    build release
    build/release/bench/bench_text
    build/release/bench/bench_pane
    ;;
package)
    install_missing
    build release
    (cd build/release && cpack -G DEB)
    ;;
*)
    sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
