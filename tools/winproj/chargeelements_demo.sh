#!/usr/bin/env bash
# End to end: a planner connects a new plan to the demo project OFFICE taking the ownership of its
# charge structure into the plan (testdata/demo-office-connect.script), then works at winproj's prompt
# with the toolbar (testdata/demo-chargeelements.session): inserts children under the top element
# OF (one derived from a standard charge element of the company's file, a cost account with an OBS
# element, a work package under that), changes one, removes the cost account that the ERP does not
# know (its child goes with it), marks the work package OF10 that the ERP knows, is refused the
# connected top element, restores OF10, adds a second cost account, saves and synchronises the
# structure into the ERP. Then a new, empty plan is connected to the leaf DP10 of the project DEPOT
# with the ERP owning and without tasks from its structure, the ownership is passed to the plan in
# Connection Details and carried out by a synchronisation, and the planner builds the structure from
# nothing: the top element (the connection node) and children under it, one with a code the ERP
# generates; a last synchronisation sends it. The transcript, the prompt's output (without the
# day-dependent dates) and the ERP's structure of both projects are compared with expected files,
# and the saved plans are checked.
# Usage: chargeelements_demo.sh KOVA_SETUP KOVA_ERP TOLVANE WINPROJ SOURCE_DIR [--update]
. "$(dirname "$0")/demo_machine.sh" "$@"
"$winproj" --script "$source/testdata/demo-office-connect.script" --transcript connect.transcript \
    --run ConnectProject >/dev/null || fail "the scripted connect failed: $(tail -n 5 connect.transcript)"
"$winproj" --transcript chargeelements.transcript Office.mpp \
    <"$source/testdata/demo-chargeelements.session" >session.out || fail "the session at the prompt failed"

# What the prompt printed, without the dialogs' control lines (the transcript has them) and without
# the dates, which depend on the day the plan was made; the machine folder reads $HOME.
grep -v -E '^  [a-zA-Z][a-zA-Z0-9]*: |^\[frm|^action> *$|^ +(Start|Finish|Date9|Date10|ConstraintDate) ' session.out |
    sed "s|$KOVA_HOME|\$HOME|g" >chargeelements.out

compare() {
    if [ "$update" = "--update" ]; then cp "$1" "$expected/$1"; return; fi
    diff -u "$expected/$1" "$1" || fail "$1 differs from the expected file"
}
compare chargeelements.transcript
compare chargeelements.out

grep -q '! ' chargeelements.out && fail "the session met a refusal: $(grep '! ' chargeelements.out | head -n 3)"
saved=$("$winproj" Office.mpp --dump)
for code in OF OF10 OF20 OF40; do
    grep -q "Text1 \"$code\"" <<<"$saved" || fail "the saved plan lacks $code"
done
for code in OF30 OF31; do
    grep -q "Text1 \"$code\"" <<<"$saved" && fail "the saved plan still holds $code"
done
grep -q "Flag4 true" <<<"$saved" && fail "a restored element is still marked"
[ "$(grep -c '^    Flag2 true$' <<<"$saved")" = 4 ] || fail "Office.mpp does not show its four elements in the ERP"

# What the ERP holds after the synchronisations (no dates: they are the day the plans were made).
sqlite3 erp/DEMO.db "select project_id, plan_id, ce_id, parent_ce_id, linked_ce_id, description, ce_type,
    obs_element_id, derived_from_sce from charge_element where project_id in ('OFFICE', 'DEPOT')
    order by project_id, plan_id, ce_id" >chargeelements.erp
sqlite3 erp/DEMO.db "select 'link', project_id, plan_id, ce_id, ownership, external_schedule
    from external_schedule_link order by project_id" >>chargeelements.erp
compare chargeelements.erp

depot=$("$winproj" Depot.mpp --dump)
grep -q '^  "OwnershipChBSAndBudgQty" number 2$' <<<"$depot" || fail "Depot.mpp does not own its structure"
grep -q '^  "KovaConnectionNode" string "DP10"$' <<<"$depot" || fail "Depot.mpp lost its connection node"
[ "$(grep -c '^    Flag2 true$' <<<"$depot")" = 3 ] || fail "Depot.mpp does not show its three elements in the ERP"
echo "charge elements demo passed"
