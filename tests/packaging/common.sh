# What the packaging tests share. Sourced with $work set to a temporary folder of the test's own.

fail() {
    echo "FAIL: $*"
    exit 1
}

# Starts the program through the command at $1 with a clean environment (no graphical session,
# home and data in the folder $3), headless, with the library $2 preloaded: it closes the
# program's windows once one is shown and names each on standard error. The program shipped is
# unchanged. $as_user, when set, is the command that runs it as another user.
start_window() {
    status=0
    ${as_user:-} env -i PATH=/usr/bin:/bin HOME="$3" XDG_CONFIG_HOME="$3/config" \
        XDG_DATA_HOME="$3/data" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 \
        QUORVEL_QUIT_AFTER_START=1 LD_PRELOAD="$2" \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
        "$1" > "$work/window.out" 2> "$work/window.err" || status=$?
    cat "$work/window.err"
    [ "$status" = 0 ] || fail "$1 exited with $status"
    grep -q '^quorvel: closing window "Quorvel"$' "$work/window.err" ||
        fail "$1 showed no main window"
}
