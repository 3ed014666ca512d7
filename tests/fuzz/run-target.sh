#!/usr/bin/env bash
# run-target.sh FUZZER SEEDS SECONDS FINDINGS: runs one libFuzzer target from the kept seeds
# (which it never changes) and prints one line: the target, executions, findings.
set -uo pipefail
bin=$1 seeds=$2 seconds=$3 findings=$4
name=$(basename "$bin")
work=$(mktemp -d "${TMPDIR:-/tmp}/fuzz-$name.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
mkdir -p "$findings"
"$bin" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/" \
    "$work" "$seeds" >"$work/log" 2>&1
status=$?
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
found=$(find "$findings" -type f | wc -l)
printf '%-28s %10s executions in %ss, %s finding(s)\n' "$name" "${runs:-?}" "$seconds" "$found"
if ((status != 0 || found != 0)); then
    tail -40 "$work/log"
    exit 1
fi
