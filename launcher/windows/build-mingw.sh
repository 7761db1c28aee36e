#!/bin/sh
# Cross-builds the Windows launcher with mingw-w64, without any C or C++ runtime, so that it
# imports from KERNEL32, USER32 and ADVAPI32 only.
# Usage: build-mingw.sh OUTPUT.exe [COMPILER]   (COMPILER defaults to i686-w64-mingw32-g++)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
output=$1
compiler=${2:-i686-w64-mingw32-g++}

"$compiler" -std=c++20 -O2 \
    -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual -Wsuggest-override -Wshadow \
    -Werror \
    -ffreestanding -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-stack-protector \
    -I"$root" "$here/entry.cpp" \
    -nostdlib -Wl,--subsystem,windows -lkernel32 -luser32 -ladvapi32 \
    -o "$output"
