#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when some are
# missing. Run as root (as CI does) it installs them; otherwise it names
# them and stops.
set -euo pipefail

packages=(
    make cmake ninja-build g++ pkg-config
    libgtest-dev libbenchmark-dev        # tests and benchmarks
    googletest                           # its sources, cross-compiled for the Win32 tests
    libcli11-dev libtomlplusplus-dev      # the host tools
    zlib1g-dev liblzma-dev               # the benchmark's peers; zlib's crc32() for lzari
    clang libclang-rt-dev                # sanitizers and libFuzzer
    time                                 # the benchmark's memory figure
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686   # the Win32 build
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64   # its 64-bit test build, where 32-bit programs cannot run
    wine wine32:i386 wine64 xvfb xauth   # running it, headless
    imagemagick                          # make run's pictures
    nsis python3                         # make bench-installer: the peer installer, the sizes
    osslsigncode openssl libssl-dev      # signing setup.exe (and its tests); lzari checks signatures with libssl
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
    echo "missing Debian packages: ${missing[*]}" >&2
    echo "install them as root: scripts/install-deps.sh (wine32 needs 'dpkg --add-architecture i386' first)" >&2
    exit 1
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# wine32 comes from Debian's i386 architecture.
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
