#!/usr/bin/env bash
# End to end: on a fresh machine folder with the demo ERP and the integration installed, a planner
# connects a new plan to the demo project BRIDGE through winproj with a script. The transcript, the
# log, the plan's tasks, assignments, calendars and document properties and the ERP's budget-line links
# are compared with expected files; the ERP must hold the schedule link, and the menu's connection items
# must be enabled afterwards.
# Usage: connect_demo.sh KOVA_SETUP KOVA_ERP TOLVANE WINPROJ SOURCE_DIR [--update]
. "$(dirname "$0")/demo_machine.sh" "$@"
"$winproj" --script "$source/testdata/demo-connect.script" --transcript connect.transcript \
    --run ConnectProject --dump >dump.txt || fail "the scripted connect failed: $(tail -n 5 connect.transcript)"
# The plan is scheduled from the ERP project's start (a task without an ERP date takes it), so none of
# its dates depends on the day it was made: compare the plan's start and finish, its tasks and
# assignments, and everything from the calendars on.
{
    sed -n '1,/^tasks/{/^  Start /p;/^  Finish /p}' dump.txt
    sed -n '/^tasks/,/^[a-z]/{/^tasks/p;/^ /p}' dump.txt
    sed -n '/^assignments/,/^[a-z]/{/^assignments/p;/^ /p}' dump.txt
    sed -n '/^calendars/,$p' dump.txt
} >connect.dump
tr -d '\r' <Bridge.log >connect.log

compare() {
    if [ "$update" = "--update" ]; then cp "$1" "$expected/$1"; return; fi
    diff -u "$expected/$1" "$1" || fail "$1 differs from the expected file"
}
compare connect.transcript
compare connect.log
compare connect.dump
# The budget lines the plan took are linked to it in the ERP; the others still wait or have no link.
sqlite3 erp/DEMO.db "select ce_id || '_' || cost_type || '_' || seq_no || ' ' || schedule_link || ' ' ||
    external_schedule from budget_line where project_id = 'BRIDGE' and plan_id = 'MAIN'
    order by ce_id, cost_type, seq_no" >budget-links.txt
compare budget-links.txt

link=$(sqlite3 erp/DEMO.db "select project_id, plan_id, ce_id, ownership, external_schedule from external_schedule_link")
[ "$link" = "BRIDGE|MAIN|BR|1|Bridge.mpp" ] || fail "the ERP holds no schedule link for the plan (got: $link)"

# The planner turns the superstructure's equipment and subcontracting assignments into subtasks.
converted=$(printf 'select 14\nrun ConvertAssignmentsToTask\ntick chkEquipment\ntick chkSubcontracting\nclick cmdConvert\nOK\nsave\nquit\n' |
    "$winproj" "$KOVA_HOME/Bridge.mpp")
grep -q "Process completed successfully." <<<"$converted" || fail "the conversion did not complete: $converted"
"$winproj" "$KOVA_HOME/Bridge.mpp" --dump | awk -f "$source/tools/winproj/budget-lines.awk" >convert.lines
compare convert.lines

menu=$(printf 'menu\nquit\n' | "$winproj" "$KOVA_HOME/Bridge.mpp")
for item in 5.2 5.3 5.4 5.5 5.6; do
    line=$(grep -E "^ +$item " <<<"$menu") || fail "menu item $item is missing"
    grep -q "(disabled)" <<<"$line" && fail "menu item $item is still disabled after connecting"
done
echo "connect demo passed"
