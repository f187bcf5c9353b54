#!/usr/bin/env bash
# The game's figures, printed: start to first frame (headless), resident memory in play, the
# CPU of a still table and of a moving one in a real window under Xvfb with SDL's software
# renderer, and headless self-play games per second with and without the check.
#
#   bench/figures.sh [BUILD_DIR]        (default build/release; needs Xvfb and xdotool)
#
# CPU is the program's user + system time over a span of wall time, in % of one core.
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

# ---- start to first frame, headless -----------------------------------------------------------
best=""
for _ in 1 2 3 4 5; do
  start=$(date +%s%N)
  "$torvaly" --headless --frames 1 --snapshot "$work/first.png" --seed 1 >/dev/null
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
done
echo "start to first frame, headless (best of 5, the whole process): $best ms"

# ---- self-play ---------------------------------------------------------------------------------
for check in "" "--check"; do
  line=$("$torvaly" --headless --selfplay 200 --seed 1 $check | grep 'games per second')
  echo "self-play, 200 games${check:+ with $check}:$line"
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
SDL_RENDER_DRIVER=software "$torvaly" --seed 5 --name bench --report "$report" 2>/dev/null &
game_pid=$!

last() { tail -n 1 "$report" 2>/dev/null || true; }
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
# cpu SECONDS LABEL: the program's CPU over that span.
cpu() {
  local t0 w0 t1 w1 hz
  hz=$(getconf CLK_TCK)
  t0=$(ticks); w0=$(date +%s%N)
  sleep "$1"
  t1=$(ticks); w1=$(date +%s%N)
  awk -v t=$((t1 - t0)) -v w=$((w1 - w0)) -v hz="$hz" -v label="$2" \
    'BEGIN { printf "CPU, %s: %.1f %% of a core\n", label, 100 * (t / hz) / (w / 1e9) }'
}
rss() { awk '/^VmRSS|^VmHWM/ { printf "%s %d MiB  ", $1, $2 / 1024 }' "/proc/$game_pid/status"; echo; }

wait_for 'buttons=start' 20
window=$(xdotool search --sync --name '^Torvaly$' | head -n 1)
sleep 1
cpu 10 "still table before the start, the ready clock counting"
click start
wait_for 'running=1 clock=[0-9]' 20
echo -n "resident memory in play: "; rss
wait_for 'hint:' 60
cpu 8 "in play, the player's clock counting, nothing moving"
click autoon
sleep 0.5
cpu 5 "in play on auto-play (its mark turns), bots moving"
wait_for 'panel=1' 240
sleep 3
cpu 5 "the end panel up (its backdrop turns)"
echo -n "resident memory after a game: "; rss
