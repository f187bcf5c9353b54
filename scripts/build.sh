#!/usr/bin/env bash
# Configures and builds one build tree: build.sh DIR [extra cmake args...]
# Sourced helpers for ./run and ./test; keeps ccache inside the work tree's build folder
# unless the caller chose a cache.
set -euo pipefail

torvaly_build() {
  local dir=$1
  shift
  export CCACHE_DIR=${CCACHE_DIR:-$TORVALY_ROOT/build/.ccache}
  cmake -S "$TORVALY_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "${TORVALY_JOBS:-$(nproc)}"
}
