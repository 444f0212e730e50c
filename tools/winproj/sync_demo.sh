#!/usr/bin/env bash
# End to end: a plan connected to the demo project BRIDGE (the ERP owns the structure) follows the
# ERP's structure after kova-erp changed it; then an ownership transfer to the plan, set in Connection
# Details, is confirmed and carried out at the next synchronisation; the plan's own changes then go to
# the ERP, which generates the code of a new element; last, a link whose ownership was changed behind
# the plan's back makes the synchronisation refuse; and the first step again with a German planning
# program. Logs, transcripts, the plan's tasks and the ERP's structure are compared with expected files.
# Usage: sync_demo.sh KOVA_SETUP KOVA_ERP TOLVANE WINPROJ SOURCE_DIR [--update]
set -euo pipefail
setup=$(realpath "$1") erp=$(realpath "$2") tolvane=$(realpath "$3") winproj=$(realpath "$4")
source=$(realpath "$5") update=${6:-}
expected="$source/tools/winproj/testdata"
data="$source/testdata"
KOVA_HOME=$(mktemp -d)
export KOVA_HOME
trap 'rm -rf "$KOVA_HOME"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
compare() {
    if [ "$update" = "--update" ]; then cp "$1" "$expected/$1"; return; fi
    diff -u "$expected/$1" "$1" || fail "$1 differs from the expected file"
}
# The plan's tasks from a dump (scheduled from the ERP project's start, none of their dates depends on
# the day the plan was made).
tasks_of() {
    sed -n '/^tasks/,/^[a-z]/{/^tasks/p;/^ /p}' "$1"
}
structure() {
    sqlite3 erp/DEMO.db "select ce_id, parent_ce_id, description, ce_type from charge_element
        where project_id = 'BRIDGE' and plan_id = 'MAIN' order by ce_id"
    sqlite3 erp/DEMO.db "select 'link', ce_id, ownership, external_schedule from external_schedule_link"
}
sync() { # SCRIPT NAME [MACRO...]
    local script=$1 name=$2
    shift 2
    local runs=()
    for macro in "$@" SynchronizeBudgetSchedule; do runs+=(--run "$macro"); done
    "$winproj" --script "$script" --transcript "$name.transcript" Bridge.mpp "${runs[@]}" --dump >"$name.txt" ||
        fail "the scripted $name failed: $(tail -n 5 "$name.transcript")"
    tr -d '\r' <Bridge.log >"$name.log"
}

"$setup" >/dev/null
"$erp" create DEMO --seed "$data/demo-erp.json" --default >/dev/null
printf 'click cmdContinue\nOK\n' | "$tolvane" >/dev/null || fail "tolvane could not install the integration"
cd "$KOVA_HOME"
first_home=$KOVA_HOME
"$winproj" --script "$data/demo-connect.script" --transcript connect.transcript --run ConnectProject \
    >/dev/null || fail "the scripted connect failed: $(tail -n 5 connect.transcript)"

# 1. The ERP changes its structure; the plan follows it.
"$erp" change DEMO "$data/demo-sync-changes.json" >/dev/null || fail "kova-erp could not change the structure"
sync "$data/demo-sync.script" sync
tasks_of sync.txt >sync.dump
compare sync.transcript
compare sync.log
compare sync.dump

# 2. A transfer of ownership to the plan, set in Connection Details, carried out at the next run.
sync "$data/demo-sync-transfer.script" transfer ConnectionDetails
compare transfer.log
grep -q '^  "OwnershipChBSAndBudgQty" number 2$' transfer.txt || fail "the plan does not own its structure now"

# 3. The plan changes its structure; the ERP follows it and generates the new element's code.
"$winproj" Bridge.mpp <"$data/demo-sync-plan-edits.txt" >/dev/null || fail "the plan could not be edited"
sed '/^box Yes/d' "$data/demo-sync-transfer.script" | sed -n '/frmSyncOptions/,$p' >plan-owned.script
sync plan-owned.script plan-owned
compare plan-owned.log
structure >plan-owned.erp
compare plan-owned.erp
grep -A6 '"Abutments"' plan-owned.txt | grep -q 'Text1 "BUILD1"' || fail "the generated code is not in the plan"

# 4. The ERP's link is set back to ERP ownership behind the plan's back: refused, nothing changes.
"$erp" change DEMO "$data/demo-sync-erp-owns.json" >/dev/null
tasks_of plan-owned.txt >before.dump
sync "$data/demo-sync-refused.script" refused
compare refused.log
tasks_of refused.txt | diff -u before.dump - || fail "the refused synchronisation changed the plan"
# 5. The same first synchronisation on a machine whose planning program speaks German: the lookups use
# that program's own test words, so the plan ends the same.
export KOVA_HOME=$(mktemp -d)
trap 'rm -rf "$KOVA_HOME" "$first_home"' EXIT
cd "$KOVA_HOME"
"$setup" --language 1031 >/dev/null
"$erp" create DEMO --seed "$data/demo-erp.json" --default >/dev/null
printf 'click cmdContinue\nOK\n' | "$tolvane" >/dev/null || fail "tolvane could not install the integration"
"$winproj" --script "$data/demo-connect.script" --transcript connect.transcript --run ConnectProject \
    >/dev/null || fail "the scripted connect failed on the German machine"
"$erp" change DEMO "$data/demo-sync-changes.json" >/dev/null
sync "$data/demo-sync.script" german
tasks_of german.txt | diff -u "$expected/sync.dump" - || fail "the German plan differs from the English one"
echo "sync demo passed"
