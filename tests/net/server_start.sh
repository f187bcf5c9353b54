# Sourced by the network test scripts. start_server LOG SERVER ARGS...: starts SERVER on a free
# port of 127.0.0.1 with ARGS, its log in LOG; sets `pid` and `port`. Status 1, with the log on
# standard error, when it did not start listening within 5 s.
# stop_server: ends it.
start_server() {
  log=$1
  shift
  "$@" --port 0 --bind 127.0.0.1 2>"$log" &
  pid=$!
  port=""
  for _ in $(seq 1 100); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$log")
    [ -n "$port" ] && return 0
    sleep 0.05
  done
  echo "the server did not start:" >&2
  cat "$log" >&2
  return 1
}

stop_server() {
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
