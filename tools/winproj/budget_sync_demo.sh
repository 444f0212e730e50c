#!/usr/bin/env bash
# End to end: the budget and schedule synchronisation of the connected demo plan Bridge.mpp through
# winproj with scripts. 1: the ERP (owning the quantities) changes two lines and removes two, the plan
# moves a line and gains a new material line; a synchronisation with net change brings the ERP's
# quantities in, detaches the removed lines, sends the moved schedule and creates the new line. 2: the
# ownership passes to the plan; the plan changes quantities, a line's employee and a work package's
# actual start and progress, the ERP changes and removes a line; a synchronisation with actual dates
# sends all of it. 3: net change with nothing moved changes nothing in the ERP. Logs, the plan's budget
# lines and the ERP's lines and schedule are compared with expected files.
# Usage: budget_sync_demo.sh KOVA_SETUP KOVA_ERP TOLVANE WINPROJ SOURCE_DIR [--update]
. "$(dirname "$0")/demo_machine.sh" "$@"
data="$source/testdata"
compare() {
    if [ "$update" = "--update" ]; then cp "$1" "$expected/$1"; return; fi
    diff -u "$expected/$1" "$1" || fail "$1 differs from the expected file"
}
# The plan's tasks and assignments from a dump, without the lines that carry the plan's own start date
# (the day the plan was made).
plan_of() {
    local start
    start=$(sed -n '2{s/^  Start \([0-9-]*\) .*/\1/p}' "$1")
    [ -n "$start" ] || fail "the dump $1 shows no plan start"
    sed -n '/^tasks/,/^[a-z]/{/^tasks/p;/^ /p};/^assignments/,/^[a-z]/{/^assignments/p;/^ /p}' "$1" |
        grep -v -F "$start"
}
erp_rows() {
    sqlite3 erp/DEMO.db "select 'line', ce_id, seq_no, cost_type, cost_object, employee, trade_group, quantity,
        required_quantity, duration, required_duration, unit, start_ts, finish_ts, schedule_link, external_schedule
        from budget_line where project_id = 'BRIDGE' and plan_id = 'MAIN' order by ce_id, seq_no"
    sqlite3 erp/DEMO.db "select 'element', ce_id, sched_start_ts, sched_finish_ts, actual_start_ts,
        actual_finish_ts, percent_complete from charge_element where project_id = 'BRIDGE' and plan_id = 'MAIN'
        order by ce_id"
}
sync() { # SCRIPT NAME [MACRO...]
    local script=$1 name=$2
    shift 2
    local runs=()
    for macro in "$@" SynchronizeBudgetSchedule; do runs+=(--run "$macro"); done
    "$winproj" --script "$script" --transcript "$name.transcript" Bridge.mpp "${runs[@]}" --dump >"$name.txt" ||
        fail "the scripted $name failed: $(tail -n 5 "$name.transcript")"
    tr -d '\r' <Bridge.log >"$name.log"
    plan_of "$name.txt" >"$name.plan"
    erp_rows >"$name.erp"
    tail -n 2 "$name.log" | head -n 1 | grep -q '^Synchronization completed with Kova Project BRIDGE$' ||
        fail "the log of $name does not end with the completion line"
}

"$winproj" --script "$data/demo-connect.script" --run ConnectProject >/dev/null || fail "the scripted connect failed"

# 1. The ERP owns the quantities: its changes come into the plan, the plan's new line goes to the ERP.
"$erp" change DEMO "$data/demo-budget-sync-erp1.json" >/dev/null || fail "kova-erp could not change the lines"
"$winproj" Bridge.mpp <"$data/demo-budget-sync-edits1.txt" >/dev/null || fail "the plan could not be edited"
sync "$data/demo-budget-sync-netchange.script" budget-sync-1
compare budget-sync-1.log
compare budget-sync-1.plan
compare budget-sync-1.erp
grep -A12 '"Reinforcing steel"' budget-sync-1.txt | grep -q 'Text20 "BR21_1_5"' ||
    fail "the new line's number is not in the plan"

# 2. The plan owns the quantities now, and the actual dates are sent.
"$erp" change DEMO "$data/demo-budget-sync-erp2.json" >/dev/null || fail "kova-erp could not change the lines"
"$winproj" Bridge.mpp <"$data/demo-budget-sync-edits2.txt" >/dev/null || fail "the plan could not be edited"
sync "$data/demo-budget-sync-actual.script" budget-sync-2 ConnectionDetails
compare budget-sync-2.log
compare budget-sync-2.plan
compare budget-sync-2.erp

# 3. Net change with nothing moved since: the ERP's lines and schedule stay as they are.
sync "$data/demo-budget-sync-netchange.script" budget-sync-3
compare budget-sync-3.log
diff -u budget-sync-2.erp budget-sync-3.erp || fail "a synchronisation with nothing moved changed the ERP"
echo "budget sync demo passed"
