# Shared by the smoke test and the screenshot script (sourced, not run): starts a private X
# server and the program on it, finds the program's window, and cleans everything up on exit.
# Needs: PROGRAM (the varmet executable), WORK (a scratch directory).

XVFB_PID=""
PROGRAM_PID=""
WINDOW_ID=""

stop_pid() { # pid: TERM, then KILL if it has not ended within 5 s
    local pid=$1
    [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null || return 0
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    stop_pid "$PROGRAM_PID"
    stop_pid "$XVFB_PID"
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A fresh X server: it picks a free display number itself and writes it to us once it serves
# it, however long a busy machine makes that take (the test's own time limit bounds the wait).
start_xvfb() {
    local number=""
    exec {displayfd}>"$WORK/display"
    Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    exec {displayfd}>&-
    until [[ -n $number ]]; do
        kill -0 "$XVFB_PID" 2>/dev/null || {
            echo "no X server could be started:" >&2
            cat "$WORK/xvfb.log" >&2
            return 1
        }
        sleep 0.1
        number=$(tr -dc 0-9 <"$WORK/display")
    done
    export DISPLAY=":$number"
    export QT_QPA_PLATFORM=xcb
    export XDG_RUNTIME_DIR="$WORK/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
}

# Starts the program and waits until its window is mapped, as long as the program runs (the
# test's own time limit bounds the wait); sets WINDOW_ID and STARTUP_MS, the time from process
# start to the mapped window.
start_program() {
    local started now
    STARTUP_MS="unknown"
    started=$(date +%s%N)
    "$PROGRAM" >"$WORK/program.log" 2>&1 &
    PROGRAM_PID=$!
    until WINDOW_ID=$(xdotool search --onlyvisible --name 'БИУС' 2>/dev/null | head -n 1) &&
        [[ -n "$WINDOW_ID" ]]; do
        kill -0 "$PROGRAM_PID" 2>/dev/null || {
            echo "the program ended before showing its window:" >&2
            cat "$WORK/program.log" >&2
            return 1
        }
        sleep 0.05
    done
    now=$(date +%s%N)
    STARTUP_MS=$(((now - started) / 1000000))
}

# Sets X, Y, WIDTH and HEIGHT of the program's window.
window_geometry() {
    eval "$(xdotool getwindowgeometry --shell "$WINDOW_ID")"
}
