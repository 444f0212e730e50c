#!/usr/bin/env bash
# End to end: runs that are cut off, refused or cannot save, through winproj and kova-erp. 1: the save
# of a synchronisation is lost after the ERP made the plan's new line (the plan file is put back as it
# was, as a killed run leaves it); the next synchronisation finds the line instead of making it again.
# 2: a plan held by another planning program opens read-only, and a plan whose file is read-only cannot
# be saved: every command that changes the ERP says why and sends nothing, and a scripted command whose
# save fails ends as failed. 3: a charge-element file that
# cannot be written ends the run as failed, naming the file. 4: the prompt refuses a date the plan file
# cannot hold, and the plan saved after it opens again. 5: kova-erp refuses a project that starts after
# it finishes. 6: a plan whose assignment names a resource the plan lacks is refused on opening, naming
# the task and the resource, and is left as it was. 7: a damaged labour cost-object file is named in the
# budget-line dialog, which lists none of its junk. 8: a link state edited by hand into one the run
# does not know is logged, naming the task and the field, and the line is left as it is.
# Usage: cut_off_runs.sh KOVA_SETUP KOVA_ERP TOLVANE WINPROJ SOURCE_DIR
. "$(dirname "$0")/demo_machine.sh" "$@"
data="$source/testdata"
lines_of() { # CHARGE_ELEMENT COST_OBJECT
    sqlite3 erp/DEMO.db "select count(*) from budget_line where project_id = 'BRIDGE' and ce_id = '$1'
        and cost_object = '$2'"
}
erp_state() {
    sqlite3 erp/DEMO.db "select ce_id, seq_no, schedule_link, external_schedule, quantity, required_quantity
        from budget_line order by ce_id, seq_no"
    sqlite3 erp/DEMO.db "select * from external_schedule_link"
    sqlite3 erp/DEMO.db "select ce_id, sched_start_ts, sched_finish_ts from charge_element order by ce_id"
    sqlite3 erp/DEMO.db "select count(*) from baseline"
}
sync() { # NAME
    "$winproj" --script "$data/demo-budget-sync-netchange.script" --transcript "$1.transcript" Bridge.mpp \
        --run SynchronizeBudgetSchedule --dump >"$1.txt" || fail "the scripted $1 failed: $(tail -n 5 "$1.transcript")"
    tr -d '\r' <Bridge.log >"$1.log"
}

"$winproj" --script "$data/demo-connect.script" --run ConnectProject >/dev/null || fail "the scripted connect failed"
"$winproj" Bridge.mpp <"$data/demo-budget-sync-edits1.txt" >/dev/null || fail "the plan could not be edited"

# 1. The run's save is lost after the ERP made the new line: the next run takes the line back.
cp Bridge.mpp before-sync.mpp
sync lost-save-1
[ "$(lines_of BR21 REBAR)" = 1 ] || fail "the first run did not make the new line"
cp before-sync.mpp Bridge.mpp
sync lost-save-2
[ "$(lines_of BR21 REBAR)" = 1 ] || fail "the new line was made twice: $(lines_of BR21 REBAR) REBAR lines in the ERP"
[ "$(sqlite3 erp/DEMO.db "select schedule_link from budget_line where ce_id = 'BR21' and cost_object = 'REBAR'")" = 3 ] ||
    fail "the line the ERP made is no longer linked to the plan"
[ "$(grep -c 'Text20 "BR21_1_5"' lost-save-2.txt)" = 1 ] || fail "the plan does not hold the line once"
grep -q 'was created in Kova by an earlier run of this plan that was not saved' lost-save-2.log ||
    fail "the log does not say the line was taken back"
tail -n 2 lost-save-2.log | head -n 1 | grep -q '^Synchronization completed with Kova Project BRIDGE$' ||
    fail "the second run does not end completed"

# 2. A plan that cannot be saved: each command that changes the ERP is refused before it sends anything.
erp_state >erp-before.txt
refuse() { # REASON OPENING_STEP MACRO...
    local reason=$1 opening=$2
    shift 2
    for macro in "$@"; do
        { [ -z "$opening" ] || echo "$opening"; printf 'box OK contains "This plan cannot be saved: %s"\n' "$reason"; } \
            >refuse.script
        "$winproj" --script refuse.script --transcript "refuse-$macro.transcript" Bridge.mpp --run "$macro" \
            >/dev/null || fail "$macro was not refused ($reason): $(tail -n 5 "refuse-$macro.transcript")"
        erp_state | diff -u erp-before.txt - || fail "$macro changed the ERP on a plan that cannot be saved"
    done
}
mkfifo hold
"$winproj" Bridge.mpp <hold >/dev/null &
holder=$!
exec 3>hold
for _ in $(seq 50); do [ -e "/proc/$holder/fd" ] && ls -l "/proc/$holder/fd" | grep -q Bridge.mpp && break; sleep 0.1; done
refuse "it is open read-only" 'box OK contains "is in use by another user or program"' SynchronizeBudgetSchedule SaveBaseline ConnectionDetails DisconnectProject
printf 'quit\n' >&3
exec 3>&-
wait "$holder" || true
chmod a-w Bridge.mpp
refuse "its file cannot be written" "" SynchronizeBudgetSchedule DisconnectProject
# A command that changes only the plan runs, and its scripted run says the save failed.
echo 'box No contains "Would you like to view it now?"' >master.script
if "$winproj" --script master.script Bridge.mpp --run SynchronizeMasterData >/dev/null 2>master.err; then
    fail "a scripted run whose plan could not be saved ended as done"
fi
grep -q 'SynchronizeMasterData could not save the plan: The file .*Bridge.mpp" could not be saved' master.err ||
    fail "the scripted run did not say why it failed: $(cat master.err)"
chmod u+w Bridge.mpp

# 3. The charge-element file cannot be written: the run names it and ends as failed.
rm -f Bridge.bce
mkdir Bridge.bce
sync unwritable-bce
rmdir Bridge.bce
grep -q "The Charge Breakdown Structure file .*Bridge.bce could not be written" unwritable-bce.log ||
    fail "the log does not name the charge-element file"
tail -n 1 unwritable-bce.log | grep -q '^Synchronization with Kova Project BRIDGE failed' ||
    fail "the run with an unwritable charge-element file does not end as failed"

# 4. The prompt refuses what the plan file cannot hold; the plan saved after it opens again.
printf 'set 4 Start 2200-01-01\nset 4 Duration 1e300\nsave\nquit\n' | "$winproj" Bridge.mpp >prompt.txt ||
    fail "the prompt session failed"
grep -q 'The date 2200-01-01 00:00:00 is outside the dates the program schedules' prompt.txt ||
    fail "the prompt did not refuse the start: $(cat prompt.txt)"
grep -q 'The duration cannot be negative or end after 2149-12-31' prompt.txt ||
    fail "the prompt did not refuse the duration"
printf 'quit\n' | "$winproj" Bridge.mpp >reopen.txt 2>&1 || fail "the saved plan cannot be opened: $(cat reopen.txt)"

# 5. A project that starts after it finishes is no seed.
cat >late.json <<'EOF'
{"company": {"number": 9}, "projects": [{"id": "LATE", "start": "2200-03-01", "finish": "2025-06-30"}]}
EOF
if "$erp" create LATE --seed late.json >late.txt 2>&1; then fail "kova-erp took a project that ends before it starts"; fi
grep -q 'the project LATE starts (2200-03-01) after it finishes (2025-06-30)' late.txt ||
    fail "kova-erp did not say why: $(cat late.txt)"

# 6. An assignment whose resource is not in the plan: the plan is refused, not saved with resource 0.
cp Bridge.mpp lost-resource.mpp
sed -i '0,/"resource": [0-9]*/s//"resource": 999/' lost-resource.mpp
cp lost-resource.mpp lost-resource-before.mpp
printf 'save\nquit\n' | "$winproj" lost-resource.mpp >lost-resource.txt 2>&1 || true
grep -q 'lost-resource.mpp" is not a valid project file: task [0-9]* (".*", unique id [0-9]*), assignment [0-9]*: resource unique id 999 is not in the plan' \
    lost-resource.txt || fail "the plan with a missing resource was not refused: $(cat lost-resource.txt)"
cmp -s lost-resource.mpp lost-resource-before.mpp || fail "the plan with a missing resource was changed"

# 7. A damaged labour cost-object file: the dialog names it and lists only its whole records.
printf '\001\000\377junk\033' | dd of=Bridge.lco bs=1 seek=0 conv=notrunc status=none
cat >damaged-lco.script <<'EOF'
pick frmKovabdglines.cmbCostType "Labor"
box OK contains "Bridge.lco is damaged: record 1 is not text."
pick frmKovabdglines.cmbCostObj "LAB.SITEHOUR Site work hour"
click frmKovabdglines.cmdCancel
EOF
"$winproj" --script damaged-lco.script --transcript damaged-lco.transcript Bridge.mpp --select 11 --run BudgetLineDetails \
    >/dev/null || fail "the damaged labour file was not named: $(tail -n 5 damaged-lco.transcript)"
if grep -q 'junk' damaged-lco.transcript; then fail "the dialog lists the junk of the damaged labour file"; fi

# 8. A link state edited by hand: the run says which line it leaves as it is and why.
printf 'set 12 Text8 9\nsave\nquit\n' | "$winproj" Bridge.mpp >/dev/null || fail "the plan could not be edited"
sync hand-edited
grep -q '^Budget line of task ".*": Text8 holds "9", which is no link state (1, 2 or 3). The line is left as it is.$' \
    hand-edited.log || fail "the line with an unknown link state was not logged: $(cat hand-edited.log)"
echo "cut-off runs passed"
