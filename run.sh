#!/usr/bin/env bash
# Set-up, build and run on a fresh Debian machine.
#   ./run.sh demo    build everything and run the main job
#   ./run.sh test    build everything and run all tests
#   ./run.sh test-sanitize   the same in build-asan/, built with the sanitizers
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(g++ cmake ninja-build libgtest-dev libsqlite3-dev nlohmann-json3-dev libcurl4-openssl-dev pkg-config python3-pyftpdlib sqlite3)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages: ${missing[*]} (run as root to install them)" >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

build() {
    local generator=()
    command -v ninja >/dev/null && generator=(-G Ninja)
    if [ ! -f build/CMakeCache.txt ]; then
        cmake -S . -B build "${generator[@]}" ${KOVA_CMAKE_ARGS:-}
    fi
    cmake --build build -j"$(nproc)"
}

case "${1:-}" in
demo)
    install_missing
    build
    # The demo keeps its machine folder inside the checkout unless KOVA_HOME says otherwise.
    export KOVA_HOME="${KOVA_HOME:-$(pwd)/.kova-demo}"
    echo "== Machine folder $KOVA_HOME: the planning program and the integration's files"
    build/tools/kova-setup/kova-setup
    echo "== The sample ERP"
    build/tools/kova-erp/kova-erp create DEMO --seed testdata/demo-erp.json --default
    build/tools/kova-erp/kova-erp list DEMO projects
    echo "== Installing the integration into the global template"
    printf 'click cmdContinue\nOK\n' | build/setup/tolvane | tail -n 4
    echo
    echo "== 1. A planner connects a new plan to the ERP project BRIDGE (script: testdata/demo-connect.script)"
    rm -f "$KOVA_HOME"/Bridge.*
    (cd "$KOVA_HOME" && "$OLDPWD/build/tools/winproj/winproj" --script "$OLDPWD/testdata/demo-connect.script" \
        --transcript connect.transcript --run ConnectProject --dump >plan.txt)
    echo "== The plan's log ($KOVA_HOME/Bridge.log)"
    tr -d '\r' <"$KOVA_HOME/Bridge.log"
    echo "== The plan's tasks (id, outline level, name), then its resources (id, name); all of it in $KOVA_HOME/plan.txt"
    grep -E '^  [0-9]+ uid' "$KOVA_HOME/plan.txt" | sed 's/ uid [0-9]*//'
    echo "== The plan's document properties"
    sed -n '/^properties/,$p' "$KOVA_HOME/plan.txt"
    echo "== The File menu of the connected plan"
    printf 'menu\nquit\n' | build/tools/winproj/winproj "$KOVA_HOME/Bridge.mpp" | grep -E '^ +5\.'
    echo "== The budget lines brought into the plan, as subtasks or assignments of their charge-element tasks"
    awk -f tools/winproj/budget-lines.awk "$KOVA_HOME/plan.txt"
    echo "== 2. Budget lines changed and added by hand in the budget-line dialog (script: tools/winproj/testdata/budget-lines.script; not saved)"
    (cd "$KOVA_HOME" && "$OLDPWD/build/tools/winproj/winproj" --script "$OLDPWD/tools/winproj/testdata/budget-lines.script" \
        --transcript budget.transcript Bridge.mpp --select 12 --run BudgetLineDetails --run ConnectionDetails \
        --select 12 --run BudgetLineDetails --select 11 --run BudgetLineDetails --select 11 --run BudgetLineDetails \
        --select 15 --run BudgetLineDetails --select 15 --run BudgetLineDetails --select 15 --run BudgetLineDetails \
        --dump >budget-plan.txt)
    awk -f tools/winproj/budget-lines.awk "$KOVA_HOME/budget-plan.txt"
    echo
    echo "== 3. The ERP changes the structure of BRIDGE/MAIN (testdata/demo-sync-changes.json)"
    build/tools/kova-erp/kova-erp change DEMO testdata/demo-sync-changes.json
    echo "== The planner synchronises the plan with the ERP (script: testdata/demo-sync.script)"
    (cd "$KOVA_HOME" && "$OLDPWD/build/tools/winproj/winproj" --script "$OLDPWD/testdata/demo-sync.script" \
        --transcript sync.transcript Bridge.mpp --run SynchronizeBudgetSchedule --dump >plan-synced.txt)
    echo "== The log of the synchronisation ($KOVA_HOME/Bridge.log)"
    tr -d '\r' <"$KOVA_HOME/Bridge.log"
    echo "== The plan's new outline; all of it in $KOVA_HOME/plan-synced.txt"
    printf 'outline\nquit\n' | build/tools/winproj/winproj "$KOVA_HOME/Bridge.mpp" | sed 's/^winproj> //' | grep -E '^ +[0-9]+ '
    echo "== 4. The planner saves the plan's baseline and a new ERP baseline (script: testdata/demo-baseline-new.script)"
    (cd "$KOVA_HOME" && "$OLDPWD/build/tools/winproj/winproj" Bridge.mpp --script "$OLDPWD/testdata/demo-baseline-new.script" \
        --transcript baseline.transcript --run SaveBaseline --dump >baseline-plan.txt)
    tr -d '\r' <"$KOVA_HOME/Bridge.log"
    grep -E '^  "KovaBaseline" ' "$KOVA_HOME/baseline-plan.txt"
    echo "== The ERP's baselines of BRIDGE"
    build/tools/kova-erp/kova-erp baselines DEMO BRIDGE
    echo "== 5. A plan connected to OFFICE owns its structure; the planner edits it with the toolbar and synchronises"
    echo "      it; then an empty plan connected to DEPOT's DP10 is given its structure and builds it from nothing"
    echo "      (scripts: testdata/demo-office-connect.script, testdata/demo-chargeelements.session)"
    rm -f "$KOVA_HOME"/Office.* "$KOVA_HOME"/Depot.*
    (cd "$KOVA_HOME" && "$OLDPWD/build/tools/winproj/winproj" --script "$OLDPWD/testdata/demo-office-connect.script" \
        --transcript office-connect.transcript --run ConnectProject >/dev/null &&
        "$OLDPWD/build/tools/winproj/winproj" --transcript chargeelements.transcript Office.mpp \
            <"$OLDPWD/testdata/demo-chargeelements.session" >chargeelements.out)
    echo "== The edited structure of Office.mpp (row, outline, name)"
    printf 'outline\nquit\n' | build/tools/winproj/winproj "$KOVA_HOME/Office.mpp" | grep -E '^(winproj> )?  [0-9]+ ' |
        sed 's/^winproj> //'
    echo "== The structure of Depot.mpp, built in the empty plan (row, outline, name)"
    printf 'outline\nquit\n' | build/tools/winproj/winproj "$KOVA_HOME/Depot.mpp" | grep -E '^(winproj> )?  [0-9]+ ' |
        sed 's/^winproj> //'
    echo "== What the ERP holds now for OFFICE and DEPOT (project, plan, element, parent, linked, description, type, OBS, standard element)"
    sqlite3 "$KOVA_HOME/erp/DEMO.db" "select project_id, plan_id, ce_id, parent_ce_id, linked_ce_id, description, ce_type,
        obs_element_id, derived_from_sce from charge_element where project_id in ('OFFICE', 'DEPOT')
        order by project_id, plan_id, ce_id"
    echo "== 6. The budget-line browser on Superstructure of Bridge.mpp in the view \"Kova Proj Budget\": the lines stepped"
    echo "      through, a cost object and two quantities changed and saved (script: tools/winproj/testdata/budget-browser.script; not saved)"
    row=$(printf 'outline\nquit\n' | build/tools/winproj/winproj "$KOVA_HOME/Bridge.mpp" | sed 's/^winproj> //' |
        awk '$2 == "Superstructure" {print $1; exit}')
    (cd "$KOVA_HOME" && "$OLDPWD/build/tools/winproj/winproj" --script "$OLDPWD/tools/winproj/testdata/budget-browser.script" \
        --transcript browser.transcript Bridge.mpp --view "Kova Proj Budget" --select "$row" --run BudgetLineDetails \
        --run ConnectionDetails --view "Kova Proj Budget" --select "$row" --run BudgetLineDetails \
        --select "$((row + 1))" --run BudgetLineDetails --dump >browser-plan.txt)
    awk -f tools/winproj/budget-lines.awk "$KOVA_HOME/browser-plan.txt" | grep -E '^  (charge element|Superstructure) '
    budget_rows() {
        sqlite3 -header -column "$KOVA_HOME/erp/DEMO.db" "select ce_id, seq_no as line, cost_type as type,
            cost_object, employee, trade_group, required_quantity as required, required_duration as hours,
            schedule_link as link from budget_line where project_id = 'BRIDGE' order by ce_id, seq_no"
    }
    echo "== 7. The ERP, which owns the quantities, raises the concrete of Foundations to 450 (testdata/demo-budget-erp.json)"
    build/tools/kova-erp/kova-erp change DEMO testdata/demo-budget-erp.json
    echo "== The planner synchronises with net change (script: testdata/demo-budget-sync-netchange.script)"
    (cd "$KOVA_HOME" && "$OLDPWD/build/tools/winproj/winproj" --script "$OLDPWD/testdata/demo-budget-sync-netchange.script" \
        --transcript budget-sync.transcript Bridge.mpp --run SynchronizeBudgetSchedule --dump >plan-budget.txt)
    tr -d '\r' <"$KOVA_HOME/Bridge.log"
    echo "   The concrete line of Foundations in the plan now:"
    sed -n '/"Ready-mix concrete C30\/37"$/,/^  [0-9]/p' "$KOVA_HOME/plan-budget.txt" | grep -E '^    Text(4|6|7|8) ' 
    echo "== The plan takes over the quantities; it changes the concrete to 480, engineering to 250 h, puts"
    echo "   Jonas Keller on the foundations' site work and starts Foundations (testdata/demo-budget-edits.txt);"
    echo "   the ERP removes the second crane line (testdata/demo-budget-erp-removes.json)"
    build/tools/kova-erp/kova-erp change DEMO testdata/demo-budget-erp-removes.json
    (cd "$KOVA_HOME" && "$OLDPWD/build/tools/winproj/winproj" Bridge.mpp <"$OLDPWD/testdata/demo-budget-edits.txt" >/dev/null)
    echo "== The planner synchronises with the actual dates (script: testdata/demo-budget-sync-actual.script)"
    (cd "$KOVA_HOME" && "$OLDPWD/build/tools/winproj/winproj" --script "$OLDPWD/testdata/demo-budget-sync-actual.script" \
        --transcript budget-sync-actual.transcript Bridge.mpp --run ConnectionDetails --run SynchronizeBudgetSchedule \
        --dump >plan-budget-actual.txt)
    echo "== The log of the synchronisation ($KOVA_HOME/Bridge.log)"
    tr -d '\r' <"$KOVA_HOME/Bridge.log"
    echo "== The ERP's budget lines of BRIDGE now (link 3: linked to the plan, 1: detached)"
    budget_rows
    echo "== The ERP's schedule of the charge elements"
    sqlite3 -header -column "$KOVA_HOME/erp/DEMO.db" "select ce_id, sched_start_ts as start, sched_finish_ts as finish,
        actual_start_ts as actual_start, percent_complete as percent from charge_element where project_id = 'BRIDGE'
        order by ce_id"
    echo "== The demo ran all seven steps"
    ;;
test)
    install_missing
    build
    ctest --test-dir build --output-on-failure --no-tests=error -j"$(nproc)" -LE bench
    ;;
test-sanitize)
    # The tests built with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/; any report
    # ends the test that made it. To stay within the time of a CI run this builds and runs the tests of
    # the stand-ins, the data library and the integration's core and connect (where files, dates and
    # numbers are read); KOVA_SANITIZE_ALL=1 builds and runs every test.
    install_missing
    targets=(platform_automation_tests platform_os_tests platform_forms_tests platform_msproject_tests
             platform_middleware_tests dataobjects_tests integration_core_tests integration_connect_tests)
    pattern='^(platform_|dataobjects\.|integration_core\.|integration_connect\.)'
    if [ -n "${KOVA_SANITIZE_ALL:-}" ]; then
        targets=(all)
        pattern='.'
    fi
    if [ ! -f build-asan/CMakeCache.txt ]; then
        generator=()
        command -v ninja >/dev/null && generator=(-G Ninja)
        cmake -S . -B build-asan "${generator[@]}" ${KOVA_CMAKE_ARGS:-} -DKOVA_SANITIZE=ON \
            -DKOVA_PRECOMPILE_TEST_HEADERS=ON
    fi
    cmake --build build-asan -j"$(nproc)" --target "${targets[@]}"
    ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" \
    UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}" \
        ctest --test-dir build-asan --output-on-failure --no-tests=error -j"$(nproc)" -LE bench -R "$pattern"
    ;;
*)
    echo "usage: $0 demo|test|test-sanitize" >&2
    exit 2
    ;;
esac
