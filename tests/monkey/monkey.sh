#!/usr/bin/env bash
# The monkey test: the program's real window on a virtual X server with a window manager, driven
# for a while by seeded random input as an impatient person would give it (clicks, right-clicks
# and Escape, Enter, Tab, typing, the wheel, drags, double clicks, page keys, resizes) over every
# page, the toolbar, the menus and the fund picker; then the window is closed as a person closes it.
#
# It fails, naming its seed, on a sanitizer report, an X error, a crash, a hang (the program's
# heartbeat, written by its message loop when FUNDHOST_HEARTBEAT names a file, standing still for
# more than 5 seconds while it lives, or no exit within 30 seconds of the close), an exit status
# other than 0, or a configuration file that no longer parses.
#
# usage: monkey.sh --program FUNDHOST --seconds N [--seed S] [--db FILE] [--out DIR]
#   --seed S    the seed of the random input (default: a new one, printed)
#   --db FILE   the fund database (default: a small one made with make-sample-db beside FUNDHOST,
#               kept in DIR for the next run)
#   --out DIR   where the logs, the configuration and the screenshots go (default: a new folder
#               under the temporary folder)
# Needs xvfb-run, openbox, xdotool and xmllint (scripts/deps installs them); exits 77 (skipped)
# without them.
set -uo pipefail
here=$(dirname "$(readlink -f "$0")")

program=""
seconds=60
seed=""
db=""
out=""
while [ $# -gt 0 ]; do
    case "$1" in
    --program) program=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --db) db=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "monkey: unknown argument '$1'" >&2; exit 2 ;;
    esac
done
[ -n "$program" ] || { echo "usage: monkey.sh --program FUNDHOST --seconds N [--seed S] [--db FILE] [--out DIR]" >&2; exit 2; }
[ -n "$seed" ] || seed=$(( $(od -An -N2 -tu2 /dev/urandom) ))
[ -n "$out" ] || out=$(mktemp -d "${TMPDIR:-/tmp}/monkey.XXXXXX")
program=$(readlink -f "$program")
mkdir -p "$out"
out=$(readlink -f "$out")

for tool in xvfb-run openbox xdotool xmllint; do
    if ! command -v "$tool" >/dev/null; then
        echo "monkey: skipped: $tool is missing (scripts/deps installs it)"
        exit 77
    fi
done

# The rest runs inside its own virtual X server.
if [ -z "${MONKEY_DISPLAY_READY:-}" ]; then
    export MONKEY_DISPLAY_READY=1
    exec xvfb-run -a -s '-screen 0 1400x900x24' "$here/monkey.sh" --program "$program" --seconds "$seconds" \
        --seed "$seed" --out "$out" ${db:+--db "$db"}
fi

log="$out/fundhost.log"
heartbeat="$out/heartbeat"
pid=""
wm=""

fail() {
    echo "monkey: FAILED with seed $seed after ${SECONDS}s: $*"
    echo "monkey: again with: tests/monkey/monkey.sh --program $program --seconds $seconds --seed $seed"
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        if command -v gdb >/dev/null; then
            gdb -p "$pid" -batch -ex 'thread apply all bt 30' >"$out/hang-backtrace.txt" 2>&1
            echo "monkey: the threads' stacks are in $out/hang-backtrace.txt"
        fi
        kill -9 "$pid" 2>/dev/null
    fi
    [ -f "$log" ] && { echo "---- the program's output (last 60 lines of $log)"; tail -n 60 "$log"; }
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    exit 1
}

# A small database, made once per output folder: the sanitizer build shows its pages quickly.
if [ -z "$db" ]; then
    db="$out/monkey.db"
    if [ ! -f "$db" ]; then
        "$(dirname "$program")/make-sample-db" "$db.part" --funds 400 --years 4 --seed 7 >"$out/make-db.log" 2>&1 ||
            fail "the database could not be made (see $out/make-db.log)"
        mv "$db.part" "$db"
    fi
fi

export HOME="$out/home"
rm -rf "$HOME" "$out"/shot-*.png "$heartbeat"
mkdir -p "$HOME"
config="$out/config.xml"
rm -f "$config"*
cd "$out" || exit 1

openbox --sm-disable >"$out/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

# The sanitizers halt at their first finding (the tests' usual options); X and SDL keep caches for
# the life of the process, which the leak check is told to leave alone.
export ASAN_OPTIONS="${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}"
export LSAN_OPTIONS="suppressions=$here/display-lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
export FUNDHOST_HEARTBEAT="$heartbeat"
export SDL_VIDEODRIVER=x11
"$program" --db "$db" --config "$config" >"$log" 2>&1 &
pid=$!
echo "monkey: seed $seed, $seconds s, program $program (pid $pid), output in $out"

RANDOM=$seed
# rnd N: a number from 0 to N-1 in $r.
rnd() { r=$((RANDOM % $1)); }

# The main window: the largest visible window of the program.
wid=""
findWindow() {
    local best=0 w
    wid=""
    for w in $(xdotool search --onlyvisible --classname fundhost 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
        if [ "${WIDTH:-0}" -gt 600 ] && [ $((WIDTH * HEIGHT)) -gt "$best" ]; then
            best=$((WIDTH * HEIGHT))
            wid=$w
        fi
    done
    [ -n "$wid" ] || return 1
    eval "$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null)"
    wx=$X
    wy=$Y
    ww=$WIDTH
    wh=$HEIGHT
}

lastBeat=""
lastBeatAt=$SECONDS
checkRunning() {
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; fail "the program ended by itself (status $?)"; }
}
# Fails when the program ended or its loop stands still.
checkAlive() {
    checkRunning
    local beat
    beat=$(cat "$heartbeat" 2>/dev/null)
    if [ -n "$beat" ] && [ "$beat" != "$lastBeat" ]; then
        lastBeat=$beat
        lastBeatAt=$SECONDS
    elif [ $((SECONDS - lastBeatAt)) -gt 5 ]; then
        fail "the message loop stood still for more than 5 seconds (a hang)"
    fi
}

for _ in $(seq 300); do
    findWindow && [ -s "$heartbeat" ] && break
    checkRunning
    sleep 0.2
done
[ -n "$wid" ] || fail "the main window did not show within a minute"
[ -s "$heartbeat" ] || fail "the program writes no heartbeat to \$FUNDHOST_HEARTBEAT"
lastBeatAt=$SECONDS
xdotool windowactivate "$wid" >/dev/null 2>&1
import -window root "$out/shot-start.png" 2>/dev/null

x() { xdotool "$@" >>"$out/xdotool.log" 2>&1; }
pause() { rnd "$1"; sleep "0.$(printf '%03d' $((r + 20)))"; }
# A point of the window: anywhere, in the toolbar and tab rows at its top, or in the page below.
point() {
    rnd 10
    if [ "$r" -lt 3 ]; then
        rnd "$ww"; px=$((wx + r)); rnd 110; py=$((wy + r))
    else
        rnd "$ww"; px=$((wx + r)); rnd "$wh"; py=$((wy + r))
    fi
}
keys=(Escape Return Tab shift+Tab Up Down Left Right Page_Up Page_Down Home End Delete space BackSpace
    ctrl+a ctrl+c ctrl+z ctrl+s ctrl+f ctrl+1 ctrl+2 ctrl+3 ctrl+4 ctrl+5 ctrl+6 Escape Escape)
words=(000 00008 hx gp 16 zz "a" 1 "混合" 32)

end=$((SECONDS + seconds))
actions=0
while [ $SECONDS -lt $end ]; do
    checkAlive
    if ((actions % 25 == 0)); then
        findWindow || { checkAlive; sleep 0.2; continue; }
    fi
    actions=$((actions + 1))
    point
    rnd 100
    if [ "$r" -lt 18 ]; then # a click
        x mousemove "$px" "$py" click 1
    elif [ "$r" -lt 38 ]; then # context menus on the page, each closed by Escape soon after
        rnd $((wh - 240))
        py=$((wy + 200 + r))
        rnd 5
        for _ in $(seq $((r + 1))); do
            x mousemove "$px" "$py" click 3
            pause 300
            x key Escape
            pause 300
        done
    elif [ "$r" -lt 43 ]; then # a context menu, then its keys
        x mousemove "$px" "$py" click 3
        pause 300
        rnd 4
        case $r in
        0) x key Down Down Return ;;
        1) x key Down Right Down Return ;;
        2) x key Up Left Escape ;;
        *) point; x mousemove "$px" "$py" click 1 ;;
        esac
    elif [ "$r" -lt 57 ]; then # a key
        rnd ${#keys[@]}
        x key "${keys[$r]}"
    elif [ "$r" -lt 63 ]; then # typing, mostly into the fund picker
        rnd 3
        [ "$r" -eq 0 ] && x key ctrl+f
        rnd ${#words[@]}
        x type --delay 30 "${words[$r]}"
        rnd 2
        [ "$r" -eq 0 ] && x key Return
    elif [ "$r" -lt 71 ]; then # the wheel
        rnd 2
        button=$((4 + r))
        rnd 5
        x mousemove "$px" "$py" click --repeat $((r + 1)) --delay 20 "$button"
    elif [ "$r" -lt 76 ]; then # a drag
        x mousemove "$px" "$py" mousedown 1
        for _ in 1 2 3; do
            point
            x mousemove "$px" "$py"
            sleep 0.03
        done
        x mouseup 1
    elif [ "$r" -lt 81 ]; then # a double click
        x mousemove "$px" "$py" click --repeat 2 --delay 60 1
    elif [ "$r" -lt 84 ]; then # quick repeated clicks in one place
        x mousemove "$px" "$py" click --repeat 4 --delay 40 1
    elif [ "$r" -lt 87 ]; then # a resize, down to the smallest size the window takes
        rnd 640
        nw=$((760 + r))
        rnd 360
        nh=$((520 + r))
        x windowsize "$wid" "$nw" "$nh"
        sleep 0.2
        findWindow
    elif [ "$r" -lt 91 ]; then # a page through its key
        rnd 6
        x key "ctrl+$((r + 1))"
    else # a click in the toolbar and tab rows
        rnd "$ww"
        px=$((wx + r))
        rnd 110
        x mousemove "$px" "$((wy + r))" click 1
    fi
    pause 200
done
import -window root "$out/shot-end.png" 2>/dev/null
checkAlive

# Closing as a person does: whatever is open is dismissed, then the window's close button.
for attempt in 1 2 3 4 5 6; do
    x key Escape
    sleep 0.3
    x key Escape
    sleep 0.3
    findWindow || break
    x windowactivate "$wid"
    sleep 0.3
    x key alt+F4
    for _ in $(seq 20); do
        kill -0 "$pid" 2>/dev/null || break 2
        sleep 0.25
    done
    checkAlive
done
for _ in $(seq 120); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.25
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end within 30 seconds of its window's close"
wait "$pid"
status=$?
pid=""
kill "$wm" 2>/dev/null
wm=""

if grep -qE 'AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|runtime error:|X [Ee]rror|connection to the display was lost' "$log"; then
    fail "the program reported an error"
fi
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ -f "$config" ] || fail "no configuration file was written"
xmllint --noout "$config" 2>"$out/xmllint.log" || fail "the configuration no longer parses: $(head -c 300 "$out/xmllint.log")"
echo "monkey: passed: $actions actions in $seconds s with seed $seed"
