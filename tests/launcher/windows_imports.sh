#!/bin/sh
# Cross-builds the Windows launcher and checks its import table: KERNEL32, USER32 and ADVAPI32
# only, and from them only the functions the launcher is allowed. Exits 77 (skipped) when no
# mingw-w64 compiler is installed (Debian: apt-get install g++-mingw-w64-i686).
# Usage: windows_imports.sh SOURCE_ROOT
set -eu
export LC_ALL=C

root=$1
compiler=$(command -v i686-w64-mingw32-g++ || command -v x86_64-w64-mingw32-g++ || true)
if [ -z "$compiler" ]; then
    echo "SKIP: no mingw-w64 compiler (apt-get install g++-mingw-w64-i686)"
    exit 77
fi
objdump=${compiler%g++}objdump

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh "$root/launcher/windows/build-mingw.sh" "$work/quorvel.exe" "$compiler"
"$objdump" -p "$work/quorvel.exe" > "$work/headers"

# "DLL Name: X" starts each imported library; its functions follow as "vma hint name" lines.
awk '/DLL Name:/ { dll = toupper($3); print "dll " dll; next }
     dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll " " $3; next }
     NF == 0 { dll = "" }' "$work/headers" | sort > "$work/imports"

cat > "$work/allowed" <<'LIST'
ADVAPI32.DLL RegCloseKey
ADVAPI32.DLL RegOpenKeyExA
ADVAPI32.DLL RegQueryValueExA
KERNEL32.DLL ExitProcess
KERNEL32.DLL FreeLibrary
KERNEL32.DLL GetModuleFileNameA
KERNEL32.DLL GetProcAddress
KERNEL32.DLL LoadLibraryA
KERNEL32.DLL lstrcatA
KERNEL32.DLL lstrlenA
USER32.DLL MessageBoxA
dll ADVAPI32.DLL
dll KERNEL32.DLL
dll USER32.DLL
LIST
sort "$work/allowed" > "$work/allowed.sorted"

echo "Imports of the Windows launcher:"
cat "$work/imports"
if ! grep -q '^dll ' "$work/imports"; then
    echo "FAIL: no import table found"
    exit 1
fi
unexpected=$(comm -23 "$work/imports" "$work/allowed.sorted")
if [ -n "$unexpected" ]; then
    echo "FAIL: imports beyond the allowed ones:"
    echo "$unexpected"
    exit 1
fi
echo "OK"
