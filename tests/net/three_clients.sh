#!/bin/sh
# Three game clients at one table of a torvaly-server on a free port of 127.0.0.1: each plays
# GAMES games headless with --check (its state held against what its chair was told after every
# message) and must end with status 0; the server's tables and the clients' clocks run SPEED
# times real time, the deals come from SEED.
# Usage: three_clients.sh SERVER CLIENT SEED GAMES SPEED
set -u
server=$1 client=$2 seed=$3 games=$4 speed=$5
work=$(mktemp -d)
"$server" --port 0 --bind 127.0.0.1 --tables 1 --bots-after 0 --seed "$seed" \
  --clock-speed "$speed" 2>"$work/server.log" &
pid=$!
port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/server.log")
  [ -n "$port" ] && break
  sleep 0.05
done
status=0
if [ -z "$port" ]; then
  echo "the server did not start:" >&2
  cat "$work/server.log" >&2
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
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
rm -rf "$work"
exit $status
