#!/bin/sh
# The desktop entry and the AppStream metainfo pass their validators. Exits 77 (skipped) when
# they are not installed (Debian: desktop-file-utils, appstream).
# Usage: desktopfiles.sh DESKTOP_FILE METAINFO_FILE
set -eu
for tool in desktop-file-validate appstreamcli; do
    command -v $tool > /dev/null ||
        { echo "SKIP: no $tool (apt-get install desktop-file-utils appstream)"; exit 77; }
done
desktop-file-validate "$1"
appstreamcli validate --no-net "$2"
