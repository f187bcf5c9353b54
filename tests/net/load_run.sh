#!/bin/sh
# Short load runs against torvaly-server on a free port of 127.0.0.1, each of which must report
# no fault: six torvaly-load clients for a few seconds, then two clients each alone at a table
# with two strong bots, who think on the server's worker threads (clocks ten times real time).
# Usage: load_run.sh SERVER LOAD
set -u
server=$1
load=$2

run() {  # run "SERVER OPTIONS" "LOAD OPTIONS"
  log=$(mktemp)
  # shellcheck disable=SC2086
  "$server" --port 0 --bind 127.0.0.1 $1 2>"$log" &
  pid=$!
  port=""
  for _ in $(seq 1 100); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$log")
    [ -n "$port" ] && break
    sleep 0.05
  done
  status=1
  if [ -n "$port" ]; then
    # shellcheck disable=SC2086
    "$load" --connect "127.0.0.1:$port" $2
    status=$?
  else
    echo "the server did not start:" >&2
    cat "$log" >&2
  fi
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  rm -f "$log"
  return $status
}

run "--tables 4 --bots-after 1" "--clients 6 --seconds 3" &&
  run "--tables 2 --bots-after 1 --bots strong --think-threads 2 --clock-speed 10" \
    "--clients 2 --alone --seconds 6"
