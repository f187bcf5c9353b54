#!/bin/sh
# Three game clients at one table of a torvaly-server on a free port of 127.0.0.1: each plays
# GAMES games headless with --check (its state held against what its chair was told after every
# message) and must end with status 0; the server's tables and the clients' clocks run SPEED
# times real time, the deals come from SEED.
# Usage: three_clients.sh SERVER CLIENT SEED GAMES SPEED
set -u
server=$1 client=$2 seed=$3 games=$4 speed=$5
. "$(dirname "$0")/server_start.sh"
work=$(mktemp -d)
status=0
if ! start_server "$work/server.log" "$server" --tables 1 --bots-after 0 --seed "$seed" \
  --clock-speed "$speed"; then
  status=1
else
  pids=""
  for name in 甲 乙 丙; do
    "$client" --headless --connect "127.0.0.1:$port" --name "$name" --games "$games" --check \
      --clock-speed "$speed" >"$work/$name.log" 2>&1 &
    pids="$pids $!"
  done
  for p in $pids; do
    wait "$p" || status=1
  done
  for name in 甲 乙 丙; do
    echo "== $name"
    cat "$work/$name.log"
  done
  [ $status -eq 0 ] || { echo "== server"; cat "$work/server.log"; } >&2
fi
stop_server
rm -rf "$work"
exit $status
