#!/usr/bin/env bash
# A damaged install, run by the real program: a resource folder with files deleted or
# overwritten with junk, an unreadable profile, an older profile, no display.
#   damaged_test.sh TORVALY SOURCE_DIR FONT
set -euo pipefail
torvaly=$1
src=$2
font=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
junk() { head -c "$1" /dev/urandom; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" XDG_CONFIG_HOME="$work/config" \
  SDL_AUDIODRIVER=dummy "$@"; }

# case | how the folder is damaged | the files --check-data must name (relative to Torvaly/) |
# the game's exit status (without its font the table cannot be made: it stops, naming the font)
pictures=$(cd "$src/assets/Torvaly" && find image gameEnd -name '*.png' | LC_ALL=C sort | sed -n 1,10p)
sounds=$(cd "$src/assets/Torvaly" && find sound -name '*.wav' | LC_ALL=C sort | sed -n '3~4p' | sed -n 1,10p)
cases=(
  "intact|||0"
  "card sheet deleted|rm image/card/cards.png|image/card/cards.png|0"
  "ten pictures junk|for f in $(echo $pictures); do junk 5000 >\$f; done|$(echo $pictures)|0"
  "ten sounds junk|for f in $(echo $sounds); do junk 3000 >\$f; done|$(echo $sounds)|0"
  "a wave cut after its header|head -c 40 sound/shunzi.wav >cut && mv cut sound/shunzi.wav|sound/shunzi.wav|0"
  "font gone|rm fzzy.TTF && ln -s /nonexistent/font.ttc fzzy.TTF|fzzy.TTF|1"
  "resource-path file empty|: >ResourcePath.ini|ResourcePath.ini|0"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r name damage names game <<<"$entry"
  data=$work/data
  rm -rf "$data"
  mkdir -p "$data"
  cp -r "$src/assets/Torvaly" "$data/"
  ln -s "$font" "$data/Torvaly/fzzy.TTF"
  (cd "$data/Torvaly" && eval "$damage")
  status=0
  run "$torvaly" --check-data --data "$data" >"$work/out" 2>"$work/err" || status=$?
  listed=$(sed -n "s|^torvaly: cannot use $data/Torvaly/\(.*\): .*|\1|p" "$work/out" | LC_ALL=C sort)
  expected=$(tr ' ' '\n' <<<"$names" | sed '/^$/d' | LC_ALL=C sort)
  [ "$listed" = "$expected" ] || fail "$name: --check-data listed [$listed], not [$expected]"
  [ $status -eq $([ -z "$names" ] && echo 0 || echo 1) ] || fail "$name: --check-data exit $status"
  [ ! -s "$work/err" ] || fail "$name: --check-data wrote to stderr: $(cat "$work/err")"
  # The game itself draws gaps, names what it tried and could not use, each file once.
  status=0
  run "$torvaly" --headless --frames 5 --data "$data" >/dev/null 2>"$work/err" || status=$?
  [ $status -eq "$game" ] || fail "$name: the game's exit status $status: $(cat "$work/err")"
  dupes=$(grep '^torvaly: cannot use' "$work/err" | sort | uniq -d || true)
  [ -z "$dupes" ] || fail "$name: named more than once: $dupes"
  while IFS= read -r line; do
    grep -qxF "$line" "$work/out" || fail "$name: the game named a file --check-data did not: $line"
  done < <(grep '^torvaly: cannot use' "$work/err" || true)
  [ -n "$names" ] || [ ! -s "$work/err" ] || fail "$name: stderr of an intact folder: $(cat "$work/err")"
done

# No display and no --headless: a message and exit 1, at once.
start=$(date +%s%N)
status=0
run "$torvaly" 2>"$work/err" || status=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
[ $status -eq 1 ] && grep -q -- "--headless" "$work/err" || fail "no display: exit $status, $(cat "$work/err")"
[ $elapsed -lt 1000 ] || fail "no display: took $elapsed ms"

# Profiles, the window mode on SDL's offscreen driver for a few frames:
# case | the profile before | the older ~/.config one | what must be in the config folder after
profile=$work/config/torvaly/profile.ini
older=$work/home/.config/torvaly/profile.ini
good=$'[Option]\r\nCardSpace=22\r\n'
pcases=(
  "random bytes|random||aside"
  "readable|good||kept"
  "older profile only||good|migrated"
  "both: the newer wins|good|random|kept"
)
mkdir -p "$work/good/Torvaly"
ln -s "$src"/assets/Torvaly/* "$work/good/Torvaly/"
ln -s "$font" "$work/good/Torvaly/fzzy.TTF"
for entry in "${pcases[@]}"; do
  IFS='|' read -r name before old after <<<"$entry"
  rm -rf "$work/config" "$work/home"
  mkdir -p "$(dirname "$profile")" "$(dirname "$older")"
  case $before in random) junk 5000 >"$profile" ;; good) printf '%s' "$good" >"$profile" ;; esac
  case $old in random) junk 5000 >"$older" ;; good) printf '%s' "$good" >"$older" ;; esac
  cp -a "$work/config" "$work/config.before"
  run env SDL_VIDEODRIVER=offscreen "$torvaly" --frames 3 --data "$work/good" \
    2>"$work/err" >/dev/null || fail "$name: exit status $?: $(cat "$work/err")"
  case $after in
    aside)
      moved=$(ls "$(dirname "$profile")" | grep -c '^profile\.ini\.unreadable-[0-9]\{8\}-[0-9]\{6\}$' || true)
      [ "$moved" = 1 ] || fail "$name: not moved aside: $(ls "$(dirname "$profile")")"
      cmp -s "$(dirname "$profile")"/profile.ini.unreadable-* "$work/config.before/torvaly/profile.ini" ||
        fail "$name: the moved profile lost bytes"
      [ "$(grep -c 'could not be read' "$work/err")" = 1 ] || fail "$name: told $(cat "$work/err")" ;;
    kept) cmp -s "$profile" "$work/config.before/torvaly/profile.ini" ||
      [ "$(head -c 8 "$profile")" = "[Option]" ] || fail "$name: the profile changed" ;;
    migrated) [ -f "$older" ] || fail "$name: the older profile is gone"
      grep -q 'CardSpace *= *22' "$profile" || fail "$name: not migrated" ;;
  esac
  [ ! -e "$work/config" ] || ! ls "$(dirname "$profile")" | grep -q unreadable ||
    [ "$after" = aside ] || fail "$name: moved aside a readable profile"
  rm -rf "$work/config.before"
done
echo "damaged installs: ${#cases[@]} data cases, ${#pcases[@]} profile cases, no display"
