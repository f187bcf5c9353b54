#!/usr/bin/env bash
# The install tree on its own: `cmake --install` into a temporary prefix, the prefix moved
# elsewhere (so nothing can lean on the build tree or on where it was installed), then the
# installed programs run from there and the installed file list is checked.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/first" >/dev/null
mv "$work/first" "$work/moved"
prefix=$work/moved

# Nothing installed may point back into the build or the source tree: the one link is the game
# font, to the system's font package.
while IFS= read -r link; do
  target=$(readlink "$link")
  case $target in
    "$build"* | "$src"*) fail "$link points into the build or source tree ($target)" ;;
  esac
  [ "${link#"$prefix/"}" = share/torvaly/Torvaly/fzzy.TTF ] || fail "unexpected link $link"
done < <(find "$prefix" -type l)
for exe in torvaly torvaly-server torvaly-load; do
  if readelf -d "$prefix/bin/$exe" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
    fail "$exe keeps the build tree in its library path"
  fi
done

# The file list outside the resource folder, and the resource folder as the sources hold it.
expected="bin/torvaly
bin/torvaly-load
bin/torvaly-server
share/applications/org.torvaly.Torvaly.desktop
share/icons/hicolor/128x128/apps/torvaly.png
share/icons/hicolor/256x256/apps/torvaly.png
share/icons/hicolor/48x48/apps/torvaly.png
share/icons/hicolor/512x512/apps/torvaly.png
share/icons/hicolor/64x64/apps/torvaly.png
share/icons/hicolor/scalable/apps/torvaly.svg
share/man/man6/torvaly-load.6
share/man/man6/torvaly-server.6
share/man/man6/torvaly.6
share/metainfo/org.torvaly.Torvaly.metainfo.xml
share/torvaly/Torvaly/fzzy.TTF"
actual=$(cd "$prefix" && find . ! -type d ! -path './share/torvaly/Torvaly/*/*' \
  ! -path './share/torvaly/Torvaly/*.ini' | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$(LC_ALL=C sort <<<"$expected")" ] ||
  fail "installed files differ: $(diff <(LC_ALL=C sort <<<"$expected") <(echo "$actual") || true)"
diff -r "$src/assets/Torvaly" "$prefix/share/torvaly/Torvaly" -x fzzy.TTF >/dev/null ||
  fail "the installed resource folder differs from assets/Torvaly"

# The installed programs, run from a folder that is neither tree, with a home of their own.
home=$work/home
mkdir -p "$home"
cd "$work"
run() { env -i PATH=/usr/bin:/bin HOME="$home" ASAN_OPTIONS="${ASAN_OPTIONS:-}" \
  UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" "$@"; }
run "$prefix/bin/torvaly" --headless --selfplay 5 --seed 3 --check >"$work/selfplay.txt" ||
  fail "installed torvaly --headless --selfplay 5 --check: $(cat "$work/selfplay.txt")"
grep -q "0 refused, 0 divergences" "$work/selfplay.txt" || fail "self-play: $(cat "$work/selfplay.txt")"
run "$prefix/bin/torvaly" --check-data >"$work/check.txt" ||
  fail "installed torvaly --check-data: $(cat "$work/check.txt")"
run "$prefix/bin/torvaly-server" --help | grep -q -- "--port" || fail "torvaly-server --help"
run "$prefix/bin/torvaly-load" --version | grep -qx "torvaly-load [0-9.]*" || fail "torvaly-load --version"

# The desktop files as the desktop's tools read them.
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/org.torvaly.Torvaly.desktop"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/org.torvaly.Torvaly.metainfo.xml" >/dev/null
fi
for page in "$prefix"/share/man/man6/*.6; do
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null || true)
  [ -z "$out" ] || fail "man $page: $out"
done
echo "installed tree: $(find "$prefix" -type f | wc -l) files, programs run from it"
