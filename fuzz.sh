#!/usr/bin/env bash
# Runs every fuzz target for a while (default 60 seconds each) on a copy of
# its seed corpus and prints how many inputs each one survived.
# Usage: ./fuzz.sh [seconds per target]     e.g. ./fuzz.sh 600
#        FUZZ_TARGETS="fuzz_sheet" ./fuzz.sh 300
set -uo pipefail
cd "$(dirname "$0")"
scripts/setup.sh test || exit 1
FUZZ_TIME=${1:-${FUZZ_TIME:-60}} exec fuzz/run.sh
