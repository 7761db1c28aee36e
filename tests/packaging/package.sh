#!/bin/sh
# The Debian package: built by CPack with its fields, unpacked into a temporary root
# (dpkg-deb -x), quorvel-gen run from there on the installed sample library, and the window
# started through the link in bin/ until it is shown, by a user who cannot write the
# installation: the library of their own it makes is the sample's. Exits 77 (skipped) without
# the Debian tools.
# Usage: package.sh BUILD VERSION QUIT_HOOK
set -eu
export LC_ALL=C
build=$1 version=$2 hook=$3
for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v $tool > /dev/null || { echo "SKIP: no $tool (apt-get install dpkg-dev)"; exit 77; }
done
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
chmod 755 "$work"
. "$(dirname "$0")/common.sh"

# The archive library reads the sample library's Chinese names only under a UTF-8 locale.
LC_ALL=C.UTF-8 cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$work/out/quorvel_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $deb"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quorvel ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Recommends)" = "qt6-translations-l10n, fonts-noto-cjk" ] ||
    fail "Recommends: $(field Recommends)"
# Computed from the libraries the programs link: Qt's widgets among them.
field Depends | grep -q 'libqt6widgets6' || fail "Depends: $(field Depends)"

root=$work/root
dpkg-deb -x "$deb" "$root"
gen=$root/usr/bin/quorvel-gen
"$gen" --library "$root/usr/share/quorvel/examples" --seed 7 --times 2 示例故事 > "$work/given.txt" ||
    fail "quorvel-gen on the installed sample library"
[ -s "$work/given.txt" ] || fail "quorvel-gen wrote no story"

# A user who cannot write the installation gets a library of their own, made by the window's
# first start from the installed sample library; quorvel-gen then finds the same library (the
# same story for the same seed). Root can write anywhere, so it runs as nobody.
user=$work/user
mkdir -m 777 "$user"
cp "$hook" "$work/hook.so" && chmod 644 "$work/hook.so"
if [ "$(id -u)" = 0 ]; then
    as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"
else
    as_user="" && chmod -R a-w "$root"
fi
start_window "$root/usr/bin/quorvel" "$work/hook.so" "$user"
[ -f "$user/data/quorvel/项目/示例故事.l" ] || fail "no library in the user's data folder"
$as_user env HOME="$user" XDG_DATA_HOME="$user/data" "$gen" --seed 7 --times 2 示例故事 \
    > "$work/own.txt" || fail "quorvel-gen on the user's own library"
cmp "$work/given.txt" "$work/own.txt" || fail "the user's library tells another story"
echo "OK"
