#!/bin/sh
# A DESTDIR installation holds exactly the expected files, with their modes, and the command in
# the binaries folder (a link) starts the launcher, which finds the runtime library beside it.
# Usage: installtree.sh BUILD BINDIR LIBDIR DATADIR DESKTOP_ID EXAMPLES QUIT_HOOK
set -eu
export LC_ALL=C
build=$1 bin=$2 lib=$3 data=$4 id=$5 examples=$6 hook=$7
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/common.sh"

prefix=$work/root/opt/quorvel
DESTDIR=$work/root cmake --install "$build" --prefix /opt/quorvel > "$work/install.log" ||
    { cat "$work/install.log"; fail "cmake --install"; }

# Every file and link with its mode; every folder above them is drwxr-xr-x.
{
    echo "lrwxrwxrwx $bin/quorvel -> $(realpath -m --relative-to="/$bin" "/$lib/quorvel/quorvel")"
    echo "-rwxr-xr-x $bin/quorvel-gen"
    echo "-rwxr-xr-x $lib/quorvel/quorvel"
    echo "-rw-r--r-- $lib/quorvel/krnln.fnr" # a shared library, as Debian installs them
    echo "-rw-r--r-- $data/applications/$id.desktop"
    echo "-rw-r--r-- $data/metainfo/$id.metainfo.xml"
    for size in 16 32 48 64 128 256; do
        echo "-rw-r--r-- $data/icons/hicolor/${size}x$size/apps/$id.png"
    done
    echo "-rw-r--r-- $data/icons/hicolor/scalable/apps/$id.svg"
    (cd "$examples" && find . -type f) | sed "s|^\./|-rw-r--r-- $data/quorvel/examples/|"
} > "$work/files"
awk '{ path = $2; while (sub(/\/[^\/]*$/, "", path)) print "drwxr-xr-x " path } 1' "$work/files" |
    sort -u > "$work/expected"
(cd "$prefix" && find . -mindepth 1 \( -type l -printf '%M %P -> %l\n' \) -o -printf '%M %P\n') |
    sort > "$work/found"
diff -u "$work/expected" "$work/found" || fail "the installed tree differs (- expected, + found)"

start_window "$prefix/$bin/quorvel" "$hook" "$work/home"
echo "OK"
