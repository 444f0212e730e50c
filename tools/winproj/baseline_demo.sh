#!/usr/bin/env bash
# End to end: the demo plan, connected to BRIDGE as in connect_demo.sh, saves baselines through
# winproj with scripts: its baseline and a new ERP baseline, then its second interim plan and an
# update of the ERP's first free baseline, then, once the new one is approved in the ERP, its baseline
# and an ERP baseline derived from it. Each run's transcript and log, the plan's tasks at the end,
# the recorded "KovaBaseline" after each run and the ERP's baselines are compared with expected files.
# Usage: baseline_demo.sh KOVA_SETUP KOVA_ERP TOLVANE WINPROJ SOURCE_DIR [--update]
. "$(dirname "$0")/demo_machine.sh" "$@"
"$winproj" --script "$source/testdata/demo-connect.script" --transcript connect.transcript \
    --run ConnectProject >/dev/null || fail "the scripted connect failed: $(tail -n 5 connect.transcript)"

compare() {
    if [ "$update" = "--update" ]; then cp "$1" "$expected/$1"; return; fi
    diff -u "$expected/$1" "$1" || fail "$1 differs from the expected file"
}

# One Save Baseline run with a script; its transcript and log are compared, and the plan's recorded
# ERP baseline is noted.
save_baseline() {
    local name=$1 script=$2
    "$winproj" Bridge.mpp --script "$script" --transcript "baseline-$name.transcript" --run SaveBaseline \
        --dump >"$name.dump" || fail "the scripted $name run failed: $(tail -n 5 "baseline-$name.transcript")"
    tr -d '\r' <Bridge.log >"baseline-$name.log"
    compare "baseline-$name.transcript"
    compare "baseline-$name.log"
    echo "$name: $(grep -E '^  "KovaBaseline" ' "$name.dump")" >>baseline.recorded
}

: >baseline.recorded
save_baseline new "$source/testdata/demo-baseline-new.script"
save_baseline update "$expected/baseline-update.script"
"$erp" approve DEMO BRIDGE 3 >/dev/null || fail "the ERP did not approve baseline 3"
save_baseline derive "$expected/baseline-derive.script"
compare baseline.recorded

# The plan's tasks (scheduled from the ERP project's start, none of their dates depends on the day).
sed -n '/^tasks/,/^[a-z]/{/^tasks/p;/^ /p}' derive.dump >baseline.dump
compare baseline.dump
# Every task that has a start has its baseline and its second interim plan, with the same dates.
sed -n '/^tasks/,/^[a-z]/{/^ /p}' derive.dump >derive.tasks
starts=$(grep -c '^    Start ' derive.tasks) baselines=$(grep -c '^    BaselineStart ' derive.tasks)
interims=$(grep -c '^    Start2 ' derive.tasks)
[ "$starts" -gt 0 ] && [ "$starts" = "$baselines" ] && [ "$starts" = "$interims" ] ||
    fail "of $starts tasks, $baselines have a baseline and $interims a second interim plan"

# The ERP's baselines: the runs' times vary, the seeded ones do not; the updated one was stamped anew.
"$erp" baselines DEMO BRIDGE >erp.baselines
grep -E '^ +2 .*changed 2024-05-13 15:30$' erp.baselines && fail "baseline 2 was not updated"
sed -E 's/changed [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}$/changed (time)/' erp.baselines >baseline.erp
grep -q 'changed 2024-02-20 10:00$' erp.baselines || fail "the approved baseline 1 changed"
compare baseline.erp
echo "baseline demo passed"
