#!/usr/bin/env bash
# Counts the instructions and first-level data cache misses of a frame (the
# level's tick and its drawing) in a1's scripted run and in the stress
# level, under valgrind's callgrind, and prints them per frame with their
# ratio. Unlike timings, these counts do not swing with the machine's load:
# the instruction ratio is the stress frame's ratio to a1's at equal speed.
#
#   tools/frame-instructions.sh [build folder]   (default: build, made with
#                                                 ZUB_BENCH=ON)
# Takes about five minutes; needs valgrind and python3.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
for tool in valgrind python3; do
  command -v "$tool" >/dev/null || { echo "frame-instructions: $tool is not installed" >&2; exit 1; }
done
for bench in bench_levels bench_stress_level; do
  [ -x "$build/bench/$bench" ] || { echo "frame-instructions: $build/bench/$bench is missing (build with -DZUB_BENCH=ON)" >&2; exit 1; }
done
work=$(mktemp -d /tmp/zub-frame-instructions-XXXXXX)
trap 'rm -rf "$work"' EXIT

# Only the frames are counted: the level environment's frame and the
# drawing of the context tree.
count() {
  local out=$1
  shift
  valgrind --tool=callgrind --cache-sim=yes --callgrind-out-file="$out" \
    --toggle-collect='levelbuild::LevelEnvironment::frame*' --toggle-collect='Context::renderContext*' \
    "$@" --benchmark_min_time=0.001 >"$out.log" 2>&1 || { tail -n 20 "$out.log" >&2; exit 1; }
}
count "$work/a1.out" "$build/bench/bench_levels" --benchmark_filter='ScriptedRun/a1/null'
count "$work/stress.out" "$build/bench/bench_stress_level" --benchmark_filter='StressFrame/null'

python3 - "$work/a1.out" "$work/stress.out" <<'EOF'
import re, sys

def read(path):
    """The totals (Ir, D1 read misses) and the number of frames (calls of
    the level environment's frame)."""
    events, totals, names, frames = [], None, {}, 0
    pending, callee = None, None
    with open(path, errors="replace") as f:
        for line in f:
            if line.startswith("events:"):
                events = line.split()[1:]
            elif line.startswith("summary:") or line.startswith("totals:"):
                totals = [int(v) for v in line.split()[1:]]
            # Functions are named once, by fn= or cfn=, then by number.
            m = re.match(r"^(c?fn)=\((\d+)\)(?: (.*))?$", line.rstrip("\n"))
            if m:
                if m.group(3):
                    names[m.group(2)] = m.group(3)
                if m.group(1) == "cfn":
                    callee = names.get(m.group(2), "")
                continue
            if line.startswith("calls="):
                pending = int(line.split()[0][6:])
                continue
            if pending is not None:
                if callee.startswith("levelbuild::LevelEnvironment::frame("):
                    frames += pending
                pending = None
    if not totals or not frames:
        sys.exit(f"frame-instructions: {path} holds no totals or no frames (did the benchmark run?)")
    value = dict(zip(events, totals))
    return value.get("Ir", 0), value.get("D1mr", 0), frames

a1, stress = read(sys.argv[1]), read(sys.argv[2])
for name, (ir, d1, frames) in (("a1", a1), ("stress", stress)):
    print(f"{name:7s} {frames:6d} frames  {ir / frames:12,.0f} instructions  {d1 / frames:10,.0f} D1 read misses a frame")
print(f"stress / a1: {stress[0] / stress[2] / (a1[0] / a1[2]):.1f} times the instructions, "
      f"{stress[1] / stress[2] / (a1[1] / a1[2]):.1f} times the D1 read misses")
EOF
