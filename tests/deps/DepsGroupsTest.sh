#!/usr/bin/env bash
# scripts/check-deps-groups.sh on the project's own lists, and on copies with
# one mistake each that it must catch.
#   tests/deps/DepsGroupsTest.sh SOURCE-FOLDER
set -euo pipefail
source=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# expected | file | sed edit | why
cases=(
  "pass|Makefile||the lists as they are"
  "fail|scripts/install-deps.sh|/^    run)/s/fonts-ipafont-gothic/& xvfb/|Xvfb is for the tests"
  "fail|scripts/install-deps.sh|/^    run)/s/fonts-ipafont-gothic/& libgtest-dev/|GoogleTest is for the tests"
  "fail|scripts/install-deps.sh|/^    compile)/s/pkg-config/& imagemagick/|a test tool reaching run through a shared group"
  "fail|scripts/install-deps.sh|/^    test)/s/\$(packages_for run) //|make test would lack the reader's own packages"
  "fail|Makefile|s/@\$(DEPS) run\$/@\$(DEPS) test/|make run asking for the test group"
  "fail|Makefile|s/@\$(DEPS) run\$/@true/|make run no longer installing through install-deps.sh"
)

failures=0
for row in "${cases[@]}"; do
  IFS='|' read -r expected file edit why <<<"$row"
  rm -rf "$work/tree" && mkdir -p "$work/tree/scripts"
  cp "$source/Makefile" "$work/tree/"
  cp "$source/scripts/install-deps.sh" "$source/scripts/check-deps-groups.sh" "$work/tree/scripts/"
  if [ -n "$edit" ]; then
    sed -i "$edit" "$work/tree/$file"
    cmp -s "$source/$file" "$work/tree/$file" && { echo "FAIL: the edit changed nothing: $why"; failures=$((failures + 1)); continue; }
  fi
  if "$work/tree/scripts/check-deps-groups.sh" "$work/tree" >"$work/out" 2>&1; then got=pass; else got=fail; fi
  if [ "$got" != "$expected" ]; then
    echo "FAIL: $why: expected $expected, got $got"
    cat "$work/out"
    failures=$((failures + 1))
  fi
done
echo "$((${#cases[@]} - failures)) of ${#cases[@]} cases right"
[ "$failures" -eq 0 ]
