#!/bin/sh
# Short load runs against torvaly-server, each of which must report no fault: six torvaly-load
# clients for a few seconds, then two clients each alone at a table with two strong bots, who
# think on the server's worker threads (clocks ten times real time).
# Usage: load_run.sh SERVER LOAD
set -u
server=$1
load=$2
. "$(dirname "$0")/server_start.sh"

run() {  # run "SERVER OPTIONS" "LOAD OPTIONS"
  log=$(mktemp)
  status=1
  # shellcheck disable=SC2086
  if start_server "$log" "$server" $1; then
    # shellcheck disable=SC2086
    "$load" --connect "127.0.0.1:$port" $2
    status=$?
  fi
  stop_server
  rm -f "$log"
  return $status
}

run "--tables 4 --bots-after 1" "--clients 6 --seconds 3" &&
  run "--tables 2 --bots-after 1 --bots strong --think-threads 2 --clock-speed 10" \
    "--clients 2 --alone --seconds 6"
