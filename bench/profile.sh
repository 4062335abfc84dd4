#!/usr/bin/env bash
# Instructions (callgrind) and system calls (strace) of tavik per request: two fixed runs of
# one request kind, short and long, whose difference leaves out shutdown; start-up is left
# out by switching the profiler on only once tavik has logged in.
#   bench/profile.sh NAME [SHORT LONG]    NAME: status, histogram, values or datalink
# KEEP=folder keeps the callgrind and strace outputs there (callgrind_annotate reads them).
# Needs valgrind and strace; runs pinned to CPU 0 like the benchmarks.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bench="$here/build/bench/bench_requests"
name=$1 short=${2:-20} long=${3:-220}
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] && mkdir -p "$KEEP" && cp "$work"/callgrind.* "$work"/strace.* "$KEEP"/; rm -rf "$work"' EXIT

run() { # tool count -> total
    local tool=$1 count=$2 out="$work/$1.$2"
    local wrap="valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file=$out"
    [ "$tool" = strace ] && wrap=""
    mkfifo "$work/hold"
    "$bench" --run "$name:$count" --hold --wrap "$wrap" < "$work/hold" > "$work/said" 2> /dev/null &
    local bench_pid=$!
    exec 3> "$work/hold"
    for _ in $(seq 600); do grep -q '^holding' "$work/said" && break; sleep 1; done
    local pid
    pid=$(sed -n 's/^holding pid=//p' "$work/said")
    if [ "$tool" = callgrind ]; then
        callgrind_control -i on "$pid" > /dev/null 2>&1
    else
        strace -f -c -o "$out" -p "$pid" 2> /dev/null & # attach only now
    fi
    echo go >&3
    exec 3>&-
    wait "$bench_pid"
    rm -f "$work/hold"
    if [ "$tool" = callgrind ]; then
        grep '^summary:' "$out" | awk '{print $2}'
    else
        wait
        awk '$NF == "total" {print $4}' "$out"
    fi
}

for tool in callgrind strace; do
    a=$(run $tool "$short")
    b=$(run $tool "$long")
    what=instructions
    [ $tool = strace ] && what="system calls"
    echo "$name: $(((b - a) / (long - short))) $what per request"
done
