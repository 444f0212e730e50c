#!/usr/bin/env bash
# Times the scripted Connect Project on seeds scaled from the demo: one machine folder per size, the
# ERP created from the scaled seed, the integration installed, then `winproj --script ... --run
# ConnectProject` timed on its own. Prints a table row per size: wall time, processor time (user and
# system, steadier than the wall time on a busy machine), peak memory and the plan's size.
# Usage: connect_bench.sh BUILD_DIR SOURCE_DIR [elements|resources] [SIZES...]
set -euo pipefail
build=$(realpath "$1") source=$(realpath "$2") what=${3:-elements}
shift $(($# < 3 ? $# : 3))
sizes=("$@")
if [ ${#sizes[@]} -eq 0 ]; then
    if [ "$what" = elements ]; then sizes=(1000 3000 10000 30000 60000); else sizes=(1000 5000 20000 50000); fi
fi
seedgen="$build/bench/connect/connect-seed"
setup="$build/tools/kova-setup/kova-setup" erp="$build/tools/kova-erp/kova-erp"
tolvane="$build/setup/tolvane" winproj="$build/tools/winproj/winproj"

printf '| %s | wall time | processor time | peak memory | tasks | resources |\n|---|---|---|---|---|---|\n' "$what"
for n in "${sizes[@]}"; do
    home=$(mktemp -d)
    export KOVA_HOME="$home"
    if [ "$what" = elements ]; then option=(--elements "$n"); else option=(--resources "$n"); fi
    "$seedgen" "$source/testdata/demo-erp.json" "$home/seed.json" "${option[@]}"
    "$setup" >/dev/null
    "$erp" create DEMO --seed "$home/seed.json" --default >/dev/null
    printf 'click cmdContinue\nOK\n' | "$tolvane" >/dev/null
    cd "$home"
    start=$(date +%s.%N)
    /usr/bin/time -f '%M %U %S' -o time.txt "$winproj" --script "$source/testdata/demo-connect.script" \
        --transcript connect.transcript --run ConnectProject >/dev/null
    end=$(date +%s.%N)
    "$winproj" Bridge.mpp --dump </dev/null >dump.txt
    tasks=$(sed -n 's/^tasks \([0-9]*\).*/\1/p' dump.txt)
    resources=$(sed -n 's/^resources \([0-9]*\).*/\1/p' dump.txt)
    read -r kilobytes user system < <(tail -n 1 time.txt)
    printf '| %s | %.2f s | %.2f s | %d MB | %s | %s |\n' "$n" "$(echo "$end - $start" | bc)" \
        "$(echo "$user + $system" | bc)" $((kilobytes / 1024)) "$tasks" "$resources"
    cd - >/dev/null
    rm -rf "$home"
done
