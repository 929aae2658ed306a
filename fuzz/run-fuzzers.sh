#!/usr/bin/env bash
# Runs every fuzzer in BUILD_DIR for SECONDS each, one after the other, from
# a scratch copy of its seed corpus so that the inputs it finds stay out of
# the repository. Any crash, leak, timeout or broken rule stops the run with
# a non-zero status; the input that did it is kept in BUILD_DIR/artifacts/.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS TARGET...
set -euo pipefail

build=$1
seconds=$2
shift 2
source_dir="$(cd "$(dirname "$0")" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/artifacts"
# LeakSanitizer is told of exactly one library: velnori/map draws SVG through
# Graphviz, which measures text with pango, and fontconfig keeps what it
# loads on its first use (about 188 KB) until the process exits. That is
# once per process, not per input: 600 SVG maps in the real server kept its
# memory flat. The map-svg seed makes every lsp_stream run reach it at once.
export LSAN_OPTIONS="suppressions=$source_dir/../tests/vln/GraphvizLeaks.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

for target in "$@"; do
  echo "== ${target}_fuzzer for ${seconds}s"
  cp -r "$source_dir/corpus/$target" "$scratch/$target"
  dict=()
  if [ -f "$source_dir/$target.dict" ]; then dict=(-dict="$source_dir/$target.dict"); fi
  # -timeout: one input running this long counts as a hang.
  if ! "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "${dict[@]}" \
      "$scratch/$target" >"$scratch/$target.log" 2>&1; then
    tail -n 60 "$scratch/$target.log"
    echo "${target}_fuzzer failed; its input is in $build/artifacts/" >&2
    exit 1
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE' "$scratch/$target.log" || true
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$scratch/$target.log" || true
done
