#!/bin/sh
# A short load run: torvaly-server on a free port of 127.0.0.1, six torvaly-load clients for a
# few seconds, which must report no fault. Usage: load_run.sh SERVER LOAD
set -u
server=$1
load=$2
log=$(mktemp)
"$server" --port 0 --bind 127.0.0.1 --tables 4 --bots-after 1 2>"$log" &
pid=$!
port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$log")
  [ -n "$port" ] && break
  sleep 0.05
done
status=1
if [ -n "$port" ]; then
  "$load" --connect "127.0.0.1:$port" --clients 6 --seconds 3
  status=$?
else
  echo "the server did not start:" >&2
  cat "$log" >&2
fi
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
rm -f "$log"
exit $status
