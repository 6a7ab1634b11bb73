#!/usr/bin/env bash
# Where no window can be shown, the program says so in Russian and ends with status 1, rather
# than aborting inside the toolkit.
#
#   no_display.sh VARMET
set -uo pipefail
PROGRAM=$1
status=0

# A display number nobody serves.
for number in $(seq 900 999); do
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] || break
done

# case | environment (env arguments) | words the message must contain
cases=(
    "nothing set|-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM|нет графического сеанса"
    "empty values|-u QT_QPA_PLATFORM DISPLAY= WAYLAND_DISPLAY=|нет графического сеанса"
    "display not served|-u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:$number|не удалось подключиться к графическому сеансу"
    "platform forced, no display|-u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb|не удалось подключиться к графическому сеансу"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r name environment expected <<<"$entry"
    # shellcheck disable=SC2086 # the environment is a list of env arguments
    message=$(timeout 120 env $environment "$PROGRAM" 2>&1 </dev/null)
    code=$?
    if [[ $code -ne 1 ]] || ! grep -qF "$expected" <<<"$message"; then
        echo "FAIL ($name): status $code, message:" >&2
        echo "$message" >&2
        status=1
    fi
done
exit $status
