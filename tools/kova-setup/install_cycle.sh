#!/usr/bin/env bash
# End to end on a fresh machine folder: kova-setup lays it out, tolvane installs the integration,
# the planning program then shows its menu and runs the activation macro; dremica removes it all again.
# Usage: install_cycle.sh KOVA_SETUP TOLVANE DREMICA WINPROJ
set -euo pipefail
setup=$1 tolvane=$2 dremica=$3 winproj=$4
KOVA_HOME=$(mktemp -d)
export KOVA_HOME
trap 'rm -rf "$KOVA_HOME"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

"$setup" >/dev/null
printf 'click cmdContinue\nOK\n' | "$tolvane" >"$KOVA_HOME/install.out" || fail "tolvane: $(tail -n 5 "$KOVA_HOME/install.out")"
grep -q "have been installed succesfully" "$KOVA_HOME/install.out" || fail "no success message from tolvane"

shown=$(printf 'menu\nquit\n' | "$winproj" "$KOVA_HOME/Cycle.mpp")
grep -q "run KovaProjectOpen" <<<"$shown" || fail "activation did not run KovaProjectOpen"
grep -q "&KovaProject" <<<"$shown" || fail "the menu is missing after installing"
[ "$(grep -c '^     5\.[0-9]' <<<"$shown")" -eq 7 ] || fail "the menu does not hold seven items"
[ "$(grep -c '(disabled)' <<<"$shown")" -eq 5 ] || fail "only the first and the last item should be enabled"

printf 'click cmdContinue\nYes\nOK\n' | "$dremica" >"$KOVA_HOME/remove.out" || fail "dremica: $(tail -n 5 "$KOVA_HOME/remove.out")"
shown=$(printf 'menu\nquit\n' | "$winproj" "$KOVA_HOME/Cycle.mpp")
grep -q "&KovaProject" <<<"$shown" && fail "the menu is still there after removing"
grep -q "run KovaProjectOpen" <<<"$shown" && fail "activation still runs KovaProjectOpen after removing"
echo "install cycle passed"
