#!/usr/bin/env bash
# The package lists as data, read from a clean clone without installing
# anything: every package `make run` asks for is also asked for by
# `make test`, and none of the test tools is among `make run`'s. The groups
# each target passes to install-deps.sh come from make itself.
#   scripts/check-deps-groups.sh [SOURCE-FOLDER]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

test_tools='gtest|gmock|googletest|benchmark|xvfb|openbox|xdotool|imagemagick'

# The packages a make target installs, one a line.
PackagesOf() {
  local groups
  groups=$(env -u MAKEFLAGS -u MAKELEVEL make -s -n --no-print-directory "$1" |
           sed -n 's|^scripts/install-deps.sh ||p')
  if [ -z "$groups" ]; then
    echo "check-deps-groups: make $1 does not call scripts/install-deps.sh" >&2
    return 1
  fi
  scripts/install-deps.sh --list $groups
}
run=$(PackagesOf deps-run)
test=$(PackagesOf deps)

failed=0
beyond=$(comm -23 <(echo "$run") <(echo "$test"))
if [ -n "$beyond" ]; then
  echo "check-deps-groups: make run installs what make test does not:" $beyond >&2
  failed=1
fi
tools=$(echo "$run" | grep -E "$test_tools" || true)
if [ -n "$tools" ]; then
  echo "check-deps-groups: make run installs test tools:" $tools >&2
  failed=1
fi
[ "$failed" -eq 0 ] && echo "deps groups: make run $(echo "$run" | wc -l) packages, make test $(echo "$test" | wc -l)"
exit "$failed"
