#!/usr/bin/env bash
# vln.wasm under Node against the native vln, both timed in the same run by
# the native benchmarks with the program swapped (VLN_PROGRAM for
# check_bench, VLN_LSP_SERVER for lsp_server_bench). Goals:
#   vln check of the 100,000-line story, the whole process: at most 2 × native;
#   a one-character edit to diagnostics through pipes: at most 50 ms and
#     1.5 × native at 100,000 lines, at most 10 ms at 10,000;
#   start to `initialize` answered: at most 300 ms;
#   vln.wasm: at most 1.5 MB.
# Prints the medians of REPETITIONS runs (default 7) as a table.
#   bench/wasm/WasmAgainstNative.sh BUILD BUILD-WASM [REPETITIONS]
set -euo pipefail
build=$1 wasm_build=$2 repetitions=${3:-7}
native=$(cd "$build" && pwd)/tools/vln/vln
module=$(cd "$wasm_build" && pwd)/tools/vln/vln.wasm
wasm=$(cd "$wasm_build" && pwd)/tests/wasi/vln-under-node.sh
for program in "$native" "$module" "$wasm" "$build/bench/lsp_server_bench" "$build/bench/check_bench"; do
  [ -e "$program" ] || { echo "WasmAgainstNative: no $program (make wasm, and a build with the benchmarks)" >&2; exit 1; }
done

# Prints "NAME MEDIAN-MS" for each benchmark the filter picks; nothing for
# one that failed, which the table shows.
Medians() {
  local report
  report=$("$@" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
                --benchmark_format=json 2>/dev/null) || true
  node -e 'for (const b of JSON.parse(process.argv[1] || "{}").benchmarks || [])
             if (b.aggregate_name === "median" && !b.error_occurred) console.log(b.run_name, b.real_time);' "$report"
}
lsp_filter='BM_LspInitialize|BM_LspEditUntilDiagnostics'
check_filter='BM_Program/check'
declare -A native_ms wasm_ms
while read -r name ms; do native_ms[$name]=$ms; done < <(
  VLN_LSP_SERVER=$native Medians "$build/bench/lsp_server_bench" --benchmark_filter="$lsp_filter"
  VLN_PROGRAM=$native Medians "$build/bench/check_bench" --benchmark_filter="$check_filter")
while read -r name ms; do wasm_ms[$name]=$ms; done < <(
  VLN_LSP_SERVER=$wasm Medians "$build/bench/lsp_server_bench" --benchmark_filter="$lsp_filter"
  VLN_PROGRAM=$wasm Medians "$build/bench/check_bench" --benchmark_filter="$check_filter")

printf '| measure | native ms | wasm ms | wasm / native | goal |\n|---|---|---|---|---|\n'
Row() {  # benchmark, what it measures, goal
  local n=${native_ms[$1]:-} w=${wasm_ms[$1]:-}
  if [ -z "$n" ] || [ -z "$w" ]; then
    printf '| %s | %s | %s | (did not run) | %s |\n' "$2" "${n:--}" "${w:--}" "$3"
    return
  fi
  awk -v what="$2" -v n="$n" -v w="$w" -v goal="$3" \
    'BEGIN { printf "| %s | %.1f | %.1f | %.2f | %s |\n", what, n, w, w / n, goal }'
}
Row 'BM_Program/check/100000' 'check, 100,000 lines, whole process' '≤ 2 × native'
Row 'BM_LspEditUntilDiagnostics/100000/manual_time' 'edit → diagnostics, 100,000 lines' '≤ 50 ms, ≤ 1.5 × native'
Row 'BM_LspEditUntilDiagnostics/10000/manual_time' 'edit → diagnostics, 10,000 lines' '≤ 10 ms'
Row 'BM_LspInitialize/manual_time' 'start → initialize answered' '≤ 300 ms'
printf '| vln.wasm size | | %s bytes | | ≤ 1.5 MB |\n' "$(stat -c %s "$module")"
