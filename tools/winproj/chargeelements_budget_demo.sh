#!/usr/bin/env bash
# End to end: the connected demo plan Bridge.mpp takes the ownership of its structure, and at
# winproj's prompt the planner marks the element Design (BR10), which holds budget-line subtasks, for
# deletion and restores it again; then the structure is synchronised twice, the second time in a
# session of its own with nothing changed. Design keeps its lines in the plan, and the ERP keeps its
# elements and linked lines: the prompt's output, the plan's tasks and the ERP's elements and budget
# lines are compared with expected files after each synchronisation.
# Usage: chargeelements_budget_demo.sh KOVA_SETUP KOVA_ERP TOLVANE WINPROJ SOURCE_DIR [--update]
. "$(dirname "$0")/demo_machine.sh" "$@"
"$winproj" --script "$source/testdata/demo-connect.script" --run ConnectProject >/dev/null ||
    fail "the scripted connect failed"
# The ownership of the structure passes to the plan (as in the synchronisation demo).
"$winproj" --script "$source/testdata/demo-sync-transfer.script" Bridge.mpp --run ConnectionDetails \
    --run SynchronizeBudgetSchedule >/dev/null || fail "the ownership did not pass to the plan"

compare() {
    if [ "$update" = "--update" ]; then cp "$1" "$expected/$1"; return; fi
    diff -u "$expected/$1" "$1" || fail "$1 differs from the expected file"
}
# The session's prompt output without the dialogs' control lines and the day-dependent dates; the
# ERP's elements and budget lines of the plan.
session() { # NUMBER
    local n=$1
    "$winproj" --transcript "chargeelements-budget-$n.transcript" Bridge.mpp \
        <"$expected/chargeelements-budget-$n.session" >"session-$n.txt" ||
        fail "session $n at the prompt failed: $(tail -n 5 "session-$n.txt")"
    grep -v -E '^  [a-zA-Z][a-zA-Z0-9]*: |^\[frm|^action> *$|^ +(Start|Finish|Date9|Date10|ConstraintDate) ' \
        "session-$n.txt" | sed "s|$KOVA_HOME|\$HOME|g" >"chargeelements-budget-$n.out"
    {
        sqlite3 erp/DEMO.db "select ce_id, parent_ce_id, linked_ce_id, description, ce_type, obs_element_id,
            derived_from_sce from charge_element where project_id = 'BRIDGE' and plan_id = 'MAIN' order by ce_id"
        sqlite3 erp/DEMO.db "select 'line', ce_id, seq_no, cost_type, cost_object, quantity, schedule_link
            from budget_line where project_id = 'BRIDGE' order by ce_id, seq_no"
    } >"chargeelements-budget-$n.erp"
    compare "chargeelements-budget-$n.out"
    compare "chargeelements-budget-$n.erp"
    grep -q '! ' "chargeelements-budget-$n.out" &&
        fail "session $n met a refusal: $(grep '! ' "chargeelements-budget-$n.out" | head -n 3)"
    return 0
}
session 1
session 2
echo "charge elements with budget lines demo passed"
