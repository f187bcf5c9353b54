#!/bin/sh
# short_run.sh SCRATCH FUZZER ARGS...: one short fuzz run for the test suite. The fuzzer
# writes what it finds into SCRATCH (emptied first), never into the committed corpus that
# ARGS name after it; a crashing input lands in SCRATCH too.
set -e
scratch=$1
fuzzer=$2
shift 2
rm -rf "$scratch"
mkdir -p "$scratch/corpus"
exec "$fuzzer" -artifact_prefix="$scratch/" "$@"
