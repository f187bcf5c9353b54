#!/usr/bin/env bash
# Regenerates the resource folder assets/Torvaly/ (art, cards, effects, sounds, voices, music
# and both ini files), then draws the contact sheet into build/assets-preview/ and the mock
# tables into docs/assets/.
# Also the program's icons (assets/icons/: the scalable one and its PNG sizes).
# Installs the Debian tools it needs first. Deterministic: two runs give the same bytes.
#   tools/assets/generate.sh [--out DIR] [--no-preview]
#   tools/assets/generate.sh --check   regenerates into a temporary folder and compares it with
#                                      the committed assets/Torvaly/ and assets/icons/: exit 1
#                                      and the differing files named when a byte differs
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)

# python3-gi-cairo lets librsvg draw into a cairo context through PyGObject.
PACKAGES=(python3 python3-cairo python3-pil python3-numpy python3-gi python3-gi-cairo gir1.2-rsvg-2.0
  espeak-ng sox fluidsynth fluid-soundfont-gm gnome-cards-data fonts-noto-cjk
  fonts-wqy-microhei)

missing=()
for pkg in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi

out="$ROOT/assets"
preview=1
check=0
while [ $# -gt 0 ]; do
  case $1 in
    --out) out=$2; shift 2 ;;
    --no-preview) preview=0; shift ;;
    --check) check=1; shift ;;
    *) echo "usage: $0 [--out DIR] [--no-preview] | --check" >&2; exit 2 ;;
  esac
done

# Debian's own python, whatever else is first on PATH: the drawing modules are Debian's.
PY=/usr/bin/python3

if [ $check -eq 1 ]; then
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  "$PY" "$HERE/generate.py" --quiet --out "$tmp"
  status=0
  for name in Torvaly icons; do
    if ! diff -rq "$ROOT/assets/$name" "$tmp/$name"; then
      status=1
    fi
  done
  if [ $status -ne 0 ]; then
    echo "generate.sh --check: the committed files differ from what their sources make" >&2
    exit 1
  fi
  echo "generate.sh --check: assets/Torvaly/ and assets/icons/ are what their sources make"
  exit 0
fi
"$PY" "$HERE/generate.py" --out "$out"
if [ $preview -eq 1 ]; then
  "$PY" "$HERE/contact_sheet.py" --data "$out" --out "$ROOT/build/assets-preview" \
    --mock-out "$ROOT/docs/assets"
fi
du -sh "$out/Torvaly"
