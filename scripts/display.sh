# Virtual display helpers. Sourced, not run.
TROVA_XVFB_PID=""

# Starts Xvfb on the first free display number and exports DISPLAY.
trova_start_xvfb() {
    local n=91
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    TROVA_XVFB_PID=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    export DISPLAY=":$n"
}

trova_stop_xvfb() {
    if [ -n "$TROVA_XVFB_PID" ]; then kill "$TROVA_XVFB_PID" 2>/dev/null || true; fi
}
