#!/usr/bin/env bash
# Configures and builds one build tree. Sourced helpers for ./run, ./test and scripts/fuzz;
# keeps ccache inside the work tree's build folder unless the caller chose a cache.
set -euo pipefail

# The compiler cache (CMake puts ccache before both compilers, g++ and clang++): in the work
# tree's build folder unless the caller chose one. Paths below the work tree are hashed relative
# to it and the build folder is not hashed (debug info would put it in every object), so that a
# cache shared between clones or worktrees of the repository hits for the same tree of each.
torvaly_ccache_env() {
  export CCACHE_DIR=${CCACHE_DIR:-$TORVALY_ROOT/build/.ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$TORVALY_ROOT}
  export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
}

# torvaly_configure DIR [cmake args...]: configures quietly, but shows everything CMake said
# when it warned (a missing font, a missing fuzz compiler) or failed.
torvaly_configure() {
  local dir=$1
  shift
  mkdir -p "$dir"
  local log="$dir/configure.log"
  if ! cmake -S "$TORVALY_ROOT" -B "$dir" -G Ninja "$@" >"$log" 2>&1; then
    cat "$log"
    echo "configure of $dir failed" >&2
    return 1
  fi
  if grep -q -E '^CMake (Warning|Deprecation Warning)' "$log"; then
    echo "-- configure of $dir warned:"
    cat "$log"
  fi
}

# torvaly_build DIR [cmake args...]: everything, the tests and benchmarks included.
torvaly_build() {
  local dir=$1
  shift
  torvaly_build_target "$dir" all "$@"
}

# torvaly_build_target DIR TARGET [cmake args...]: that target and what it needs only (the
# game alone for ./run, so that a first start does not wait for every test).
torvaly_build_target() {
  local dir=$1 target=$2
  shift 2
  torvaly_ccache_env
  torvaly_configure "$dir" "$@"
  cmake --build "$dir" -j "${TORVALY_JOBS:-$(nproc)}" --target "$target"
}

# torvaly_build_fuzz DIR [cmake args...]: the fuzz targets alone, built with clang, with
# coverage, AddressSanitizer and UndefinedBehaviorSanitizer.
torvaly_build_fuzz() {
  local dir=$1
  shift
  torvaly_ccache_env
  CC=clang CXX=clang++ torvaly_configure "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTORVALY_FUZZ=ON -DTORVALY_BUILD_TESTS=OFF -DTORVALY_BUILD_BENCH=OFF "$@"
  cmake --build "$dir" -j "${TORVALY_JOBS:-$(nproc)}" --target torvaly_fuzz
}
