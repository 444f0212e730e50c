#!/usr/bin/env bash
# End to end: in the connected demo plan Bridge.mpp, set to delete the tasks of removed elements, the ERP
# moves Structural design (BR11) under Construction and removes Design (BR10) in the same
# change; one synchronisation of structure and budget keeps BR11's task with its two budget lines,
# under Construction, and the ERP's two BR11 lines stay linked to the plan.
# Usage: moved_out_demo.sh KOVA_SETUP KOVA_ERP TOLVANE WINPROJ SOURCE_DIR
. "$(dirname "$0")/demo_machine.sh" "$@"
data="$source/testdata"

"$winproj" --script "$data/demo-connect.script" --run ConnectProject >/dev/null || fail "the scripted connect failed"
cat >changes.json <<'JSON'
{"project": "BRIDGE", "plan": "MAIN", "changes": [
  {"op": "change", "id": "BR11", "parent": "BR20"}, {"op": "remove", "id": "BR10"}]}
JSON
"$erp" change DEMO changes.json >/dev/null || fail "kova-erp could not change the structure"
# In Connection Details the planner asks for removed elements' tasks to be deleted, then synchronises
# structure and budget (both boxes ticked, as the dialog opens).
printf '%s\n' 'tab frmConnectionDetail.tsrConnectionDetails #3' 'tick frmConnectionDetail.ChkDeleteKovaCETask' \
    'click frmConnectionDetail.cmdOK' 'click frmSyncOptions.cmdSync' \
    'box No contains "Would you like to view it now?"' >sync.script
"$winproj" --script sync.script --transcript sync.transcript Bridge.mpp --run ConnectionDetails \
    --run SynchronizeBudgetSchedule \
    --dump >sync.txt || fail "the scripted synchronisation failed: $(tail -n 5 sync.transcript)"
tr -d '\r' <Bridge.log >sync.log

grep -q 'FAILURE' sync.log && fail "the synchronisation logged a failure: $(grep FAILURE sync.log)"
tail -n 2 sync.log | head -n 1 | grep -q '^Synchronization completed with Kova Project BRIDGE$' ||
    fail "the log does not end with the completion line"
linked=$(sqlite3 erp/DEMO.db "select group_concat(seq_no || ':' || schedule_link, ' ') from budget_line
    where project_id = 'BRIDGE' and plan_id = 'MAIN' and ce_id = 'BR11' order by seq_no")
[ "$linked" = "1:3 2:3" ] || fail "the ERP's BR11 lines are not both linked to the plan: $linked"
# Rows as "level name", in plan order.
rows=$(sed -n 's/^  [0-9]* uid [0-9]* level \([0-9]*\) "\(.*\)"$/\1 \2/p' sync.txt)
expected_rows='1 Bridge opened
1 Lasse river bridge
2 Construction
3 Structural design
4 Engineering hour
4 Engineering hour
3 Foundations'
[ "$(head -n 7 <<<"$rows")" = "$expected_rows" ] || fail "the plan's rows are not as expected: $rows"
[ "$(grep -c '^[0-9]* Structural design$' <<<"$rows")" = 1 ] || fail "Structural design has not one task"
if grep -E '^[0-9]+ (Design|Permits|Design approved)$' <<<"$rows" >&2; then
    fail "the removed elements' tasks are still in the plan"
fi
echo "moved-out element kept"
