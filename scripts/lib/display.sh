# A private virtual X screen (Xvfb, 1920 x 1080 x 24 at 96 dpi) with the openbox window manager.
# Sourced by scripts/run and scripts/test.
#
#   bigtext_start_display   starts both, exports DISPLAY and XAUTHORITY
#   bigtext_stop_display    stops what bigtext_start_display started; safe to call twice

BIGTEXT_XVFB_PID=
BIGTEXT_WM_PID=
BIGTEXT_X_DIR=

# Polls a command until it succeeds, for at most $1 seconds.
bigtext_wait_for() {
    local seconds=$1
    shift
    local tries=$((seconds * 10))
    while ! "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

bigtext_wm_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'
}

bigtext_start_display() {
    BIGTEXT_X_DIR=$(mktemp -d "${TMPDIR:-/tmp}/bigtext-x.XXXXXX")
    local auth=$BIGTEXT_X_DIR/Xauthority
    local cookie
    cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')

    # The server accepts every cookie in its -auth file whatever display it names; clients look
    # theirs up by display number, which is only known once Xvfb has picked a free one.
    : >"$auth"
    xauth -q -f "$auth" add :0 . "$cookie"
    Xvfb -displayfd 3 -auth "$auth" -nolisten tcp -noreset \
        -screen 0 1920x1080x24 -dpi 96 \
        3>"$BIGTEXT_X_DIR/display" >"$BIGTEXT_X_DIR/xvfb.log" 2>&1 &
    BIGTEXT_XVFB_PID=$!
    if ! bigtext_wait_for 20 grep -q '^[0-9]' "$BIGTEXT_X_DIR/display"; then
        echo "error: Xvfb did not start:" >&2
        cat "$BIGTEXT_X_DIR/xvfb.log" >&2
        return 1
    fi
    local number
    number=$(head -n1 "$BIGTEXT_X_DIR/display")
    xauth -q -f "$auth" add ":$number" . "$cookie"
    export DISPLAY=":$number" XAUTHORITY="$auth"
    unset WAYLAND_DISPLAY
    # Qt wants a private runtime directory; a fresh machine without a login session has none.
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        mkdir -m 700 "$BIGTEXT_X_DIR/runtime"
        export XDG_RUNTIME_DIR=$BIGTEXT_X_DIR/runtime
        BIGTEXT_OWN_RUNTIME_DIR=1
    fi

    # openbox with its stock configuration, not the user's.
    XDG_CONFIG_HOME=$BIGTEXT_X_DIR/config openbox --sm-disable >"$BIGTEXT_X_DIR/openbox.log" 2>&1 &
    BIGTEXT_WM_PID=$!
    if ! bigtext_wait_for 20 bigtext_wm_running; then
        echo "error: openbox did not start:" >&2
        cat "$BIGTEXT_X_DIR/openbox.log" >&2
        return 1
    fi
    echo "Virtual display $DISPLAY (1920x1080x24, 96 dpi) with openbox is up."
}

bigtext_stop_display() {
    local pid
    for pid in $BIGTEXT_WM_PID $BIGTEXT_XVFB_PID; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    BIGTEXT_WM_PID=
    BIGTEXT_XVFB_PID=
    if [ -n "${BIGTEXT_OWN_RUNTIME_DIR:-}" ]; then
        unset XDG_RUNTIME_DIR BIGTEXT_OWN_RUNTIME_DIR
    fi
    [ -n "$BIGTEXT_X_DIR" ] && rm -rf "$BIGTEXT_X_DIR"
    BIGTEXT_X_DIR=
    return 0
}
