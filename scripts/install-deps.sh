#!/usr/bin/env bash
# Installs what the project needs on Debian 12, and nothing twice: packages
# already present are skipped, and apt is not even asked when all are there.
#
#   scripts/install-deps.sh run     what the run command needs
#   scripts/install-deps.sh test    what the test command needs (the default)
#   scripts/install-deps.sh bench   what the benchmarks need besides
set -euo pipefail

profile="${1:-test}"

build_tools=(cmake ninja-build g++ make python3)
# Fonts: AR PL SungtiL GB stands in for the Chinese system font, Micro Hei
# for what it lacks, and fonts-wine has Marlett (the wrapper says why).
windows_tools=(g++-mingw-w64-x86-64 wine wine64 xvfb xauth locales
               fonts-arphic-gbsn00lp fonts-wqy-microhei fonts-wine)
# scripts/screenshot.sh: xwd, xwininfo and netpbm's converters.
screen_tools=(x11-apps x11-utils netpbm)
test_tools=(googletest libbenchmark-dev clang libclang-rt-14-dev)
bench_tools=(mawk grep coreutils time hyperfine libbenchmark-dev)

case "$profile" in
    run) wanted=("${build_tools[@]}" "${windows_tools[@]}" "${screen_tools[@]}" googletest) ;;
    test) wanted=("${build_tools[@]}" "${windows_tools[@]}" "${screen_tools[@]}" "${test_tools[@]}") ;;
    bench) wanted=("${build_tools[@]}" "${bench_tools[@]}") ;;
    *) echo "install-deps: unknown profile '$profile' (run, test or bench)" >&2; exit 2 ;;
esac

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$package")
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the locale: zh_CN.UTF-8 gives 936 (GBK),
# the code page of the window's texts; en_US.UTF-8 gives 1252.
if [ "$profile" != bench ]; then
    for locale in zh_CN en_US; do
        if ! locale -a 2>/dev/null | grep -qix "$locale.utf8"; then
            as_root sed -i "s/^# *\($locale.UTF-8 UTF-8\)/\1/" /etc/locale.gen
            grep -q "^$locale.UTF-8 UTF-8" /etc/locale.gen || echo "$locale.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
            generate_locales=1
        fi
    done
    if [ -n "${generate_locales:-}" ]; then
        echo "install-deps: generating locales"
        as_root locale-gen >/dev/null
    fi
fi
