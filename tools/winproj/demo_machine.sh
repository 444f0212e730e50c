# Sourced by the end-to-end scripts with their arguments (KOVA_SETUP KOVA_ERP TOLVANE WINPROJ SOURCE_DIR
# [--update]): a temporary machine folder laid out by kova-setup, the demo ERP as its default backend and
# the integration installed into the global template; the script goes on inside that folder, which is
# removed when it ends.
set -euo pipefail
setup=$(realpath "$1") erp=$(realpath "$2") tolvane=$(realpath "$3") winproj=$(realpath "$4")
source=$(realpath "$5") update=${6:-}
expected="$source/tools/winproj/testdata"
KOVA_HOME=$(mktemp -d)
export KOVA_HOME
trap 'rm -rf "$KOVA_HOME"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

"$setup" >/dev/null
"$erp" create DEMO --seed "$source/testdata/demo-erp.json" --default >/dev/null
printf 'click cmdContinue\nOK\n' | "$tolvane" >/dev/null || fail "tolvane could not install the integration"

cd "$KOVA_HOME"
