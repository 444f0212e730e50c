#!/usr/bin/env bash
# The plan that a connect makes from a small scaled seed must stay what it was before the connect was
# made fast: the tasks, resources and calendars of the dump are compared with the expected file.
# Usage: scaled_connect.sh BUILD_DIR SOURCE_DIR [--update]
set -euo pipefail
build=$(realpath "$1") source=$(realpath "$2") update=${3:-}
expected="$source/bench/connect/testdata/scaled-connect.dump"
KOVA_HOME=$(mktemp -d)
export KOVA_HOME
trap 'rm -rf "$KOVA_HOME"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

"$build/bench/connect/connect-seed" "$source/testdata/demo-erp.json" "$KOVA_HOME/seed.json" \
    --elements 240 --resources 70
"$build/tools/kova-setup/kova-setup" >/dev/null
"$build/tools/kova-erp/kova-erp" create DEMO --seed "$KOVA_HOME/seed.json" --default >/dev/null
printf 'click cmdContinue\nOK\n' | "$build/setup/tolvane" >/dev/null || fail "tolvane could not install"

cd "$KOVA_HOME"
"$build/tools/winproj/winproj" --script "$source/testdata/demo-connect.script" --transcript connect.transcript \
    --run ConnectProject --dump >dump.txt || fail "the scripted connect failed: $(tail -n 5 connect.transcript)"
# The plan is scheduled from the ERP project's start: none of its dates depends on the day it was made.
sed -n '/^tasks/,$p' dump.txt >scaled-connect.dump

if [ "$update" = "--update" ]; then cp scaled-connect.dump "$expected"; exit 0; fi
diff -u "$expected" scaled-connect.dump >diff.txt || fail "the plan differs from the expected one: $(head -n 40 diff.txt)"
echo "scaled connect passed"
