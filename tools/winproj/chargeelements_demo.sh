#!/usr/bin/env bash
# End to end: a planner connects a new plan to the demo project OFFICE taking the ownership of its
# charge structure into the plan (testdata/demo-office-connect.script), then works at winproj's prompt
# with the toolbar (testdata/demo-chargeelements.session): inserts children under the top element
# OF (one derived from a standard charge element of the company's file, a cost account with an OBS
# element, a work package under that), changes one, removes the cost account that the ERP does not
# know (its child goes with it), marks the work package OF10 that the ERP knows, is refused the
# connected top element, restores OF10, saves; then inserts a top element and a child into a new,
# empty plan. The transcript and the prompt's output (without the day-dependent dates) are compared
# with expected files, and the saved plan is checked.
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
for code in OF OF10 OF20; do
    grep -q "Text1 \"$code\"" <<<"$saved" || fail "the saved plan lacks $code"
done
for code in OF30 OF31; do
    grep -q "Text1 \"$code\"" <<<"$saved" && fail "the saved plan still holds $code"
done
grep -q "Flag4 true" <<<"$saved" && fail "a restored element is still marked"
echo "charge elements demo passed"
