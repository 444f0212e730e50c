#!/usr/bin/env bash
# Set-up, build and run on a fresh Debian machine.
#   ./run.sh demo    build everything and run the main job
#   ./run.sh test    build everything and run all tests
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
    echo "== A planner connects a new plan to the ERP project BRIDGE (script: testdata/demo-connect.script)"
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
    echo "== Budget lines changed and added by hand in the budget-line dialog (script: tools/winproj/testdata/budget-lines.script; not saved)"
    (cd "$KOVA_HOME" && "$OLDPWD/build/tools/winproj/winproj" --script "$OLDPWD/tools/winproj/testdata/budget-lines.script" \
        --transcript budget.transcript Bridge.mpp --select 12 --run BudgetLineDetails --run ConnectionDetails \
        --select 12 --run BudgetLineDetails --select 11 --run BudgetLineDetails --select 11 --run BudgetLineDetails \
        --select 15 --run BudgetLineDetails --select 15 --run BudgetLineDetails --select 15 --run BudgetLineDetails \
        --dump >budget-plan.txt)
    awk -f tools/winproj/budget-lines.awk "$KOVA_HOME/budget-plan.txt"
    ;;
test)
    install_missing
    build
    ctest --test-dir build --output-on-failure --no-tests=error -j"$(nproc)" -LE bench
    ;;
*)
    echo "usage: $0 demo|test" >&2
    exit 2
    ;;
esac
