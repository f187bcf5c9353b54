#!/usr/bin/env bash
# The game's figures, each against its goal: start to first frame (headless), headless self-play
# games per second with and without the check, and in a real window under Xvfb (the renderer the
# program chooses there, named) the CPU of a still table, of play on auto-play and of the end
# panel, and resident memory in play, after a game and at its peak.
#
#   bench/figures.sh [BUILD_DIR]        (default build/release; needs Xvfb and xdotool)
#
# CPU is the program's user + system time over a span of wall time, in % of one core. Set
# SDL_RENDER_DRIVER to measure another renderer than the one the program picks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
torvaly=$build/app/torvaly
[ -x "$torvaly" ] || { echo "no $torvaly: build first" >&2; exit 1; }
work=$(mktemp -d /tmp/torvaly-figures-XXXXXX)
xvfb_pid="" game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config

# goal LABEL VALUE OP LIMIT UNIT: prints the figure and whether it meets its goal.
goal() {
  local verdict
  verdict=$(awk -v v="$2" -v l="$4" -v op="$3" 'BEGIN { ok = op == "<=" ? v <= l : v >= l; print ok ? "meets" : "MISSES" }')
  printf '%-62s %8s %-7s goal %s %s %s: %s\n' "$1" "$2" "$5" "$3" "$4" "$5" "$verdict"
}

# ---- start to first frame, headless -----------------------------------------------------------
best=""
for _ in 1 2 3 4 5; do
  start=$(date +%s%N)
  "$torvaly" --headless --frames 1 --snapshot "$work/first.png" --seed 1 >/dev/null
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
done
goal "start to first frame, headless (best of 5, the whole process)" "$best" "<=" 250 ms

# ---- self-play ---------------------------------------------------------------------------------
for check in "" "--check"; do
  line=$("$torvaly" --headless --selfplay 200 --seed 1 $check | grep 'games per second')
  rate=$(echo "$line" | sed -n 's/.*: \([0-9.]*\) games per second.*/\1/p')
  goal "headless self-play, 200 games${check:+ $check}" "${rate:-0}" ">=" 500 "games/s"
done

# ---- a real window under Xvfb, SDL's software renderer ----------------------------------------
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || {
  echo "no Xvfb or xdotool: the window figures are skipped"
  exit 0
}
Xvfb :97 -screen 0 1400x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=:97
sleep 1
report=$work/report.txt
"$torvaly" --seed 5 --name bench --report "$report" 2>/dev/null &
game_pid=$!

last() { tail -n 1 "$report" 2>/dev/null | grep -v '^renderer=' || true; }
# wait_for REGEX SECONDS: until the report's last line matches.
wait_for() {
  local end=$((SECONDS + $2))
  until last | grep -q -E "$1"; do
    [ $SECONDS -lt $end ] || { echo "waited in vain for /$1/: $(last)" >&2; exit 1; }
    sleep 0.1
  done
}
# click NAME: the centre of a shown button, by the X server's mouse.
click() {
  local point
  point=$(last | tr ' ,' '\n\n' | sed -n "s/^\(buttons=\)\{0,1\}$1:\([0-9]*\):\([0-9]*\)$/\2 \3/p" | head -n 1)
  [ -n "$point" ] || { echo "no button $1: $(last)" >&2; exit 1; }
  # shellcheck disable=SC2086
  xdotool mousemove --window "$window" $point click 1
}
ticks() { awk '{print $14 + $15}' "/proc/$game_pid/stat"; }
# cpu SECONDS LABEL LIMIT: the program's CPU over that span, against its goal.
cpu() {
  local t0 w0 t1 w1 hz value
  hz=$(getconf CLK_TCK)
  t0=$(ticks); w0=$(date +%s%N)
  sleep "$1"
  t1=$(ticks); w1=$(date +%s%N)
  value=$(awk -v t=$((t1 - t0)) -v w=$((w1 - w0)) -v hz="$hz" \
    'BEGIN { printf "%.1f", 100 * (t / hz) / (w / 1e9) }')
  goal "CPU, $2" "$value" "<=" "$3" "%"
}
# rss FIELD: VmRSS or VmHWM in MiB.
rss() { awk -v f="$1:" '$1 == f { printf "%d", $2 / 1024 }' "/proc/$game_pid/status"; }

wait_for 'buttons=start' 20
echo "window: $(head -n 1 "$report") under Xvfb"
window=$(xdotool search --sync --name '^Torvaly$' | head -n 1)
sleep 1
cpu 10 "still table before the start, the ready clock counting" 2
click start
wait_for 'running=1 clock=[0-9]' 20
goal "resident memory in play" "$(rss VmRSS)" "<=" 100 MiB
wait_for 'hint:' 60
cpu 8 "in play, the player's clock counting, nothing moving" 2
click autoon
sleep 0.5
cpu 5 "in play on auto-play (its mark turns), bots moving" 8
wait_for 'panel=1' 240
sleep 3
cpu 5 "the end panel up (its backdrop turns)" 10
goal "resident memory after a game" "$(rss VmRSS)" "<=" 100 MiB
goal "resident memory, peak over the run" "$(rss VmHWM)" "<=" 100 MiB
