#!/usr/bin/env bash
# End to end: on the connected demo plan a planner browses the budget lines of a charge element
# through winproj with a script, in the budget view: steps through them, changes a cost object while
# the ERP owns the quantities (and drops an edit by moving on), then, the ownership passed to the
# plan, changes two quantities; last the single-line dialog's "&More..." opens the browser from the
# Gantt view. The transcript and the plan's tasks and assignments are compared with expected files.
# Last a synchronisation in the same run sends the changes, and the ERP's budget lines of
# Superstructure are compared too.
# Usage: budget_browser_demo.sh KOVA_SETUP KOVA_ERP TOLVANE WINPROJ SOURCE_DIR [--update]
. "$(dirname "$0")/demo_machine.sh" "$@"
"$winproj" --script "$source/testdata/demo-connect.script" --run ConnectProject >/dev/null ||
    fail "the scripted connect failed"
# Rows: 14 Superstructure, 15 its steel beams subtask.
# The demo runs the dialog's steps alone; here the synchronisation's answers follow them.
cat "$expected/budget-browser.script" "$expected/budget-browser-sync.script" >steps.script
"$winproj" --script steps.script --transcript browser.transcript "$KOVA_HOME/Bridge.mpp" \
    --view "Kova Proj Budget" --select 14 --run BudgetLineDetails --run ConnectionDetails \
    --view "Kova Proj Budget" --select 14 --run BudgetLineDetails \
    --select 15 --run BudgetLineDetails --run SynchronizeBudgetSchedule --dump >dump.txt ||
    fail "the scripted budget-line browser failed: $(tail -n 5 browser.transcript)"
{
    sed -n '/^tasks/,/^[a-z]/{/^tasks/p;/^ /p}' dump.txt | sed -n '/^  14 uid/,$p'
    sed -n '/^assignments/,/^[a-z]/{/^assignments/p;/^ /p}' dump.txt
} >browser.dump
sqlite3 erp/DEMO.db "select ce_id, seq_no, cost_type, cost_object, employee, trade_group, quantity,
    required_quantity, required_duration, schedule_link from budget_line
    where project_id = 'BRIDGE' and ce_id = 'BR22' order by seq_no" >browser.erp

compare() {
    if [ "$update" = "--update" ]; then cp "$1" "$expected/$1"; return; fi
    diff -u "$expected/$1" "$1" || fail "$1 differs from the expected file"
}
compare browser.transcript
compare browser.dump
compare browser.erp
echo "budget browser demo passed"
