#!/bin/sh
# Usage: scripts/fuzz.sh MINUTES [TARGET...]
#
# Builds the libFuzzer targets (clang, sanitizer build in build-fuzz/), then runs
# each named target (all of them by default) for MINUTES minutes, one job under
# nice, from its seeds in fuzz/seeds/TARGET/ and the documents of tests/data/ that
# it reads. Inputs found that reach new code are merged back into
# fuzz/seeds/TARGET/: libFuzzer's merge keeps the fewest, smallest inputs that
# cover what the run reached, and inputs over FUZZ_SEED_CAP bytes (16384 by
# default) are never taken, so the seeds stay small. Prints per target the inputs run, the coverage reached
# and every finding with the input that caused it; exits 1 when there was one.
#
# With FUZZ_RUNS=N and FUZZ_SEED=S set, each target instead runs exactly N inputs
# from libFuzzer seed S and nothing is merged: a deterministic check for CI.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

if [ $# -lt 1 ]; then
  echo "usage: scripts/fuzz.sh MINUTES [TARGET...]" >&2
  exit 2
fi
minutes=$1
shift
cap=${FUZZ_SEED_CAP:-16384}
runs=${FUZZ_RUNS:-}
seed=${FUZZ_SEED:-1}

targets=$*
if [ -z "$targets" ]; then
  targets=$(ls fuzz/*_fuzz.cc | sed 's|fuzz/||; s|_fuzz\.cc$||')
fi

build=build-fuzz
CXX=clang++ cmake -S . -B "$build" -DLUMEN_SANITIZE=ON -DLUMEN_TESTS=OFF >/dev/null
for target in $targets; do
  nice cmake --build "$build" -j2 --target "${target}_fuzzer" >/dev/null
done

# The documents of tests/data/ that each target reads as its input.
documents() {
  case $1 in
    word) echo doc ;;
    excel) echo xls ;;
    ppt) echo ppt ;;
    pdfconv) echo pdf ;;
    storage) echo doc xls ppt ;;
  esac
}

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
failed=0
for target in $targets; do
  fuzzer="$root/$build/fuzz/${target}_fuzzer"
  work="$root/$build/fuzz-runs/$target"
  rm -rf "$work"
  mkdir -p "$work/found" "$work/documents" "$work/findings" "$work/small"
  for extension in $(documents "$target"); do
    for document in tests/data/*."$extension"; do
      if [ -f "$document" ]; then cp "$document" "$work/documents/"; fi
    done
  done

  # The run's working folder is its own, so that what a converter writes beside
  # itself (a built-in table file) stays out of the tree.
  # A counted run reads its corpus once: a timed reload would make the inputs
  # depend on the clock.
  if [ -n "$runs" ]; then
    limit="-runs=$runs -seed=$seed -reload=0"
  else
    limit="-max_total_time=$((minutes * 60))"
  fi
  status=0
  (cd "$work" && nice "$fuzzer" $limit -timeout=25 -print_final_stats=1 \
    -artifact_prefix="$work/findings/" \
    found "$root/fuzz/seeds/$target" documents >log 2>&1) || status=$?

  inputs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$work/log" | tail -n 1)
  echo "$target: ${inputs:-0} inputs, ${coverage:-cov: ?}"
  findings=$(ls "$work/findings")
  if [ "$status" -ne 0 ] || [ -n "$findings" ]; then
    failed=1
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$work/log" | head -n 5 | sed 's/^/  /'
    for finding in $findings; do echo "  finding: $work/findings/$finding"; done
    [ -n "$findings" ] || echo "  fuzzer exited with $status: see $work/log"
    continue
  fi

  if [ -z "$runs" ]; then
    find "$work/found" -type f -size -"$((cap + 1))"c -exec cp {} "$work/small/" \;
    before=$(ls "fuzz/seeds/$target" | wc -l)
    # Counted by edges alone: an input joins the seeds when it reaches code no
    # seed reaches, not when it only runs known code more often.
    (cd "$work" && nice "$fuzzer" -merge=1 -use_counters=0 "$root/fuzz/seeds/$target" small \
      >merge.log 2>&1) || { echo "  merge failed: see $work/merge.log"; failed=1; }
    after=$(ls "fuzz/seeds/$target" | wc -l)
    echo "  seeds: $before -> $after"
  fi
done
exit "$failed"
