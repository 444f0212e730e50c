#!/usr/bin/env bash
# End to end: on the connected demo plan a planner works with budget lines through winproj with a
# script: opens a linked line while the ERP owns the quantities and again once they pass to the plan,
# changing its quantity; adds a material line and a labour line with an employee under each of two
# work packages, as subtask and as assignment; and adds a line for a resource the work package has
# already; then synchronises, and the ERP creates the new lines. The transcript, the plan's tasks and
# assignments and the ERP's budget lines of the two work packages are compared with expected files.
# Usage: budget_dialog_demo.sh KOVA_SETUP KOVA_ERP TOLVANE WINPROJ SOURCE_DIR [--update]
. "$(dirname "$0")/demo_machine.sh" "$@"
"$winproj" --script "$source/testdata/demo-connect.script" --run ConnectProject >/dev/null ||
    fail "the scripted connect failed"
# Rows: 11 Foundations with its linked concrete line 12; 15 Superstructure once Foundations has a new
# subtask. Connection Details passes the ownership of the quantities to the plan on the way.
# The demo runs the dialog's steps alone; here the synchronisation's answers follow them.
cat "$expected/budget-lines.script" "$expected/budget-lines-sync.script" >steps.script
"$winproj" --script steps.script --transcript budget.transcript "$KOVA_HOME/Bridge.mpp" \
    --select 12 --run BudgetLineDetails --run ConnectionDetails --select 12 --run BudgetLineDetails \
    --select 11 --run BudgetLineDetails --select 11 --run BudgetLineDetails \
    --select 15 --run BudgetLineDetails --select 15 --run BudgetLineDetails --select 15 --run BudgetLineDetails \
    --run SynchronizeBudgetSchedule --dump >dump.txt ||
    fail "the scripted budget lines failed: $(tail -n 5 budget.transcript)"
# New tasks and assignments take the plan's start, the ERP project's: none of their dates or
# durations depends on the day the plan was made.
{
    sed -n '/^tasks/,/^[a-z]/{/^tasks/p;/^ /p}' dump.txt | sed -n '/^  10 uid/,$p'
    sed -n '/^assignments/,/^[a-z]/{/^assignments/p;/^ /p}' dump.txt
} >budget.dump
sqlite3 erp/DEMO.db "select ce_id, seq_no, cost_type, cost_object, employee, trade_group, quantity,
    required_quantity, required_duration, schedule_link from budget_line
    where project_id = 'BRIDGE' and ce_id in ('BR21', 'BR22') order by ce_id, seq_no" >budget.erp

compare() {
    if [ "$update" = "--update" ]; then cp "$1" "$expected/$1"; return; fi
    diff -u "$expected/$1" "$1" || fail "$1 differs from the expected file"
}
compare budget.transcript
compare budget.dump
compare budget.erp
echo "budget dialog demo passed"
