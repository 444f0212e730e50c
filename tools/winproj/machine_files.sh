#!/usr/bin/env bash
# End to end: the machine folder and its files as a user meets them, through kova-setup, kova-erp,
# tolvane and winproj. 1: a machine folder named from the working folder (KOVA_HOME=h) is laid out under
# its whole path, and a connect run from another folder finds the planning program's language. 2: a
# registry lock held by another process is waited for with a word on stderr, and given up at the bound
# with a message naming the lock file. 3: a global template that cannot be written is told, naming it,
# and the connected plan is kept. 4: a registry value damaged by hand is named with its key. 5: kova-erp
# refuses a change set with a quantity or a percentage the ERP cannot hold. 6: a refused seed names its
# file.
# Usage: machine_files.sh KOVA_SETUP KOVA_ERP TOLVANE WINPROJ SOURCE_DIR
set -euo pipefail
setup=$(realpath "$1") erp=$(realpath "$2") tolvane=$(realpath "$3") winproj=$(realpath "$4")
source=$(realpath "$5")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
unset KOVA_HOME KOVA_REGISTRY_LOCK_WAIT

# 1. The machine is laid out, given its ERP and the integration with a relative folder name; the
# planner connects from another folder.
cd "$work"
KOVA_HOME=h "$setup" >/dev/null
KOVA_HOME=h "$erp" create DEMO --seed "$source/testdata/demo-erp.json" --default >/dev/null
printf 'click cmdContinue\nOK\n' | KOVA_HOME=h "$tolvane" >/dev/null || fail "tolvane could not install the integration"
export KOVA_HOME="$work/h"
mkdir plans
cd plans
"$winproj" --script "$source/testdata/demo-connect.script" --transcript connect.transcript --run ConnectProject \
    >/dev/null 2>connect.err || fail "the connect from another folder failed: $(tail -n 5 connect.transcript)"
if grep -q 'Application Language not valid' connect.transcript; then
    fail "the connect from another folder did not find the planning program's language"
fi
grep -q 'Connection Established with Kova Project : BRIDGE' Bridge.log || fail "the plan was not connected: $(cat Bridge.log)"

# 2. Another process holds the registry lock longer than the bound (1.5 s here, 30 s by default).
lock="$KOVA_HOME/registry.json.lock"
flock -o "$lock" sleep 6 &
holder=$!
for _ in $(seq 50); do [ -e "/proc/$holder" ] && flock -n "$lock" true || break; sleep 0.1; done
if KOVA_REGISTRY_LOCK_WAIT=1.5 "$erp" create HELD --seed "$source/testdata/demo-erp.json" >held.txt 2>&1; then
    fail "kova-erp created a backend while the registry was held"
fi
grep -q "Waiting for the registry lock \"$lock\"" held.txt || fail "the wait was not told: $(cat held.txt)"
grep -q "The registry lock \"$lock\" is still held by another program after 1.5 s" held.txt ||
    fail "the wait was not given up with a message: $(cat held.txt)"
kill "$holder"
wait "$holder" 2>/dev/null || true
"$erp" list | grep -q HELD && fail "the backend that was not configured is listed"

# 3. The global template cannot be written while a plan is connected: the session says so, naming the
# template, and the plan is kept, connected.
template="$KOVA_HOME/msproject/1033/GLOBAL.MPT"
chmod a-w "$template"
"$winproj" --script "$source/testdata/demo-office-connect.script" --transcript template.transcript \
    --run ConnectProject >/dev/null 2>template.err || true
chmod u+w "$template"
grep -q "winproj: the menu and toolbar state of this session is not kept: The global template \"$template\" could not be written" \
    template.err || fail "the lost write of the global template was not told: $(cat template.err)"
grep -q 'Connection Established with Kova Project : OFFICE' Office.log || fail "the plan was not connected: $(cat Office.log)"
printf 'quit\n' | "$winproj" Office.mpp >reopen.txt 2>&1 || fail "the connected plan cannot be opened: $(cat reopen.txt)"
[ "$(sqlite3 "$KOVA_HOME/erp/DEMO.db" "select count(*) from external_schedule_link where project_id = 'OFFICE'")" = 1 ] ||
    fail "the ERP does not hold the plan's link once"

# 4. A registry value damaged by hand names its key.
cp "$KOVA_HOME/registry.json" registry.json.good
python3 - "$KOVA_HOME/registry.json" <<'EOF'
import json, sys
path = sys.argv[1]
doc = json.load(open(path))
key = doc["HKEY_LOCAL_MACHINE"]
for name in ["SOFTWARE", "Microsoft", "Office", "MS Project", "Install"]:
    key = next(k for n, k in key["keys"].items() if n.lower() == name.lower())
key["values"]["UILanguage"]["type"] = "4"
json.dump(doc, open(path, "w"), indent=2)
EOF
if "$winproj" Bridge.mpp </dev/null >damaged.txt 2>&1; then
    fail "winproj started on a damaged registry"
fi
grep -qiF 'the value "UILanguage" of the key "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Office\MS Project\Install" has no type' \
    damaged.txt || fail "the damage does not name the value and its key: $(cat damaged.txt)"
cp registry.json.good "$KOVA_HOME/registry.json"

# 5. Quantities and percentages the ERP cannot hold are refused, and nothing of the set is kept.
lines() { sqlite3 "$KOVA_HOME/erp/DEMO.db" "select ce_id, seq_no, quantity, required_quantity, duration from budget_line
    order by ce_id, seq_no; select ce_id, percent_complete from charge_element order by ce_id"; }
lines >lines-before.txt
for change in '"requiredQuantity": 1e308' '"requiredQuantity": -450' '"quantity": 1e15'; do
    printf '{"project": "BRIDGE", "plan": "MAIN", "changes": [{"op": "changeLine", "ce": "BR21", "line": 1, %s}]}\n' \
        "$change" >numbers.json
    if "$erp" change DEMO numbers.json >numbers.txt 2>&1; then fail "kova-erp took $change"; fi
    grep -q "numbers.json: changes\[0\]: .* must be a number of 0 or more, below 1000000000000000" numbers.txt ||
        fail "kova-erp did not say why it refused $change: $(cat numbers.txt)"
done
echo '{"project": "BRIDGE", "plan": "MAIN", "changes": [{"op": "change", "id": "BR21", "percentComplete": 500}]}' >percent.json
if "$erp" change DEMO percent.json >percent.txt 2>&1; then fail "kova-erp took 500 %"; fi
grep -q 'percent.json: changes\[0\]: percentComplete must be a percentage from 0 to 100' percent.txt ||
    fail "kova-erp did not say why it refused 500 %: $(cat percent.txt)"
lines | diff -u lines-before.txt - || fail "a refused change set changed the ERP"

# 6. A seed whose record is refused names the file.
echo '{"company": {"number": 9}, "projects": [{"id": "P.1"}]}' >bad-seed.json
if "$erp" create BAD --seed bad-seed.json >bad-seed.txt 2>&1; then fail "kova-erp took a bad seed"; fi
grep -q 'bad-seed.json: projects\[0\]: a project id has no' bad-seed.txt ||
    fail "the seed error does not name the file: $(cat bad-seed.txt)"
echo "machine files passed"
