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

# A fresh X server on a free display number, well above the numbers people pick by hand. A
# number another run takes at the same moment makes that server fail or stay unreachable: the
# next number is tried then.
start_xvfb() {
    local number
    for number in $(shuf -i 100-899 -n 20); do
        [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
        Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp 2>"$WORK/xvfb.log" &
        XVFB_PID=$!
        for _ in $(seq 100); do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            if xdpyinfo -display ":$number" >/dev/null 2>&1; then
                export DISPLAY=":$number"
                export QT_QPA_PLATFORM=xcb
                export XDG_RUNTIME_DIR="$WORK/runtime"
                mkdir -m 700 -p "$XDG_RUNTIME_DIR"
                return 0
            fi
            sleep 0.05
        done
        stop_pid "$XVFB_PID"
        XVFB_PID=""
    done
    echo "no X server could be started:" >&2
    cat "$WORK/xvfb.log" >&2
    return 1
}

# Starts the program and waits (10 ms steps, at most 20 s) until its window is mapped; sets
# WINDOW_ID and STARTUP_MS, the time from process start to the mapped window.
start_program() {
    local started now deadline=$((SECONDS + 20))
    STARTUP_MS="unknown"
    started=$(date +%s%N)
    "$PROGRAM" >"$WORK/program.log" 2>&1 &
    PROGRAM_PID=$!
    while ((SECONDS < deadline)); do
        if WINDOW_ID=$(xdotool search --onlyvisible --name 'БИУС' 2>/dev/null | head -n 1) &&
            [[ -n "$WINDOW_ID" ]]; then
            now=$(date +%s%N)
            STARTUP_MS=$(((now - started) / 1000000))
            break
        fi
        kill -0 "$PROGRAM_PID" 2>/dev/null || {
            echo "the program ended before showing its window:" >&2
            cat "$WORK/program.log" >&2
            return 1
        }
        sleep 0.01
    done
    # The same window by the blocking search, bounded in time.
    WINDOW_ID=$(timeout 10 xdotool search --sync --onlyvisible --name 'БИУС' | head -n 1) ||
        true
    [[ -n "$WINDOW_ID" ]] || { echo "no window captioned БИУС appeared" >&2; return 1; }
}

# Sets X, Y, WIDTH and HEIGHT of the program's window.
window_geometry() {
    eval "$(xdotool getwindowgeometry --shell "$WINDOW_ID")"
}
