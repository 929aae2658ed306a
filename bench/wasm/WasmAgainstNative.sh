#!/usr/bin/env bash
# vln.wasm under Node against the native vln, both timed in the same run by
# the native benchmarks with the program swapped (VLN_PROGRAM for
# check_bench, VLN_LSP_SERVER for lsp_server_bench). Goals:
#   vln check of the 100,000-line story, the whole process: at most 2 × native;
#   a one-character edit to diagnostics through pipes: at most 50 ms and
#     1.5 × native at 100,000 lines, at most 10 ms at 10,000;
#   start to `initialize` answered: at most 300 ms;
#   vln.wasm: at most 1.5 MB.
# Prints the medians of REPETITIONS rounds (default 7) as a table.
#   bench/wasm/WasmAgainstNative.sh BUILD BUILD-WASM [REPETITIONS]
set -euo pipefail
build=$1 wasm_build=$2 repetitions=${3:-7}
native=$(cd "$build" && pwd)/tools/vln/vln
module=$(cd "$wasm_build" && pwd)/tools/vln/vln.wasm
wasm=$(cd "$wasm_build" && pwd)/tests/wasi/vln-under-node.sh
for program in "$native" "$module" "$wasm" "$build/bench/lsp_server_bench" "$build/bench/check_bench"; do
  [ -e "$program" ] || { echo "WasmAgainstNative: no $program (make wasm, and a build with the benchmarks)" >&2; exit 1; }
done

# Prints "NAME MS" for each benchmark the filter picks, from one repetition;
# nothing for one that failed, which the table shows.
Times() {
  local report
  report=$("$@" --benchmark_format=json 2>/dev/null) || true
  # Only the benchmarks are read; a report that still does not parse (a run
  # cut short) gives nothing.
  node -e 'const text = process.argv[1];
           let runs = [];
           try { runs = JSON.parse("{" + text.slice(text.indexOf("\"benchmarks\""))).benchmarks; } catch {}
           for (const b of runs) if (!b.error_occurred) console.log(b.run_name, b.real_time);' "$report"
}
lsp_filter='BM_LspInitialize|BM_LspEditUntilDiagnostics'
check_filter='BM_Program/check'
# Native and wasm take turns, so that both meet the same load on a shared
# machine.
times=$(mktemp)
trap 'rm -f "$times"' EXIT
for ((round = 0; round < repetitions; round++)); do
  for side in native wasm; do
    program=$native
    [ "$side" = wasm ] && program=$wasm
    { VLN_LSP_SERVER=$program Times "$build/bench/lsp_server_bench" --benchmark_filter="$lsp_filter"
      VLN_PROGRAM=$program Times "$build/bench/check_bench" --benchmark_filter="$check_filter"
    } | sed "s/^/$side /" >>"$times"
  done
done
declare -A native_ms wasm_ms
while read -r side name ms; do
  if [ "$side" = native ]; then native_ms[$name]=$ms; else wasm_ms[$name]=$ms; fi
done < <(sort -k1,2 -k3g "$times" | awk '{ key = $1 " " $2; n[key]++; v[key, n[key]] = $3 }
  END { for (key in n) print key, v[key, int((n[key] + 1) / 2)] }')

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
