# The budget lines of a plan as `winproj --dump` shows it: one row per budget-line subtask or
# assignment (its task's link state is set), with its charge-element task, form, cost type, cost
# object, quantity, unit, link state and key.
#   awk -f budget-lines.awk plan.txt
function quoted(text) {
    if (!match(text, /"[^"]*"/)) return ""
    return substr(text, RSTART + 1, RLENGTH - 2)
}
function flush() {
    if (form != "" && ("Text8" in f))
        printf "  %-20s %-10s %-14s %-20s %6s %-4s %-11s %s\n", ce, form, kinds[f["Text2"]], f["Text3"],
               f["Text6"], f["Text7"], states[f["Text8"]], f["Text20"]
    form = ""
    split("", f)
}
BEGIN {
    split("Material Labor Equipment Subcontracting Sundry", names, " ")
    for (i = 1; i <= 5; i++) kinds[i ""] = names[i]
    states["1"] = "No Link"; states["2"] = "Create"; states["3"] = "Link Exists"
    printf "  %-20s %-10s %-14s %-20s %6s %-4s %-11s %s\n", "charge element", "form", "cost type", "cost object",
           "qty", "unit", "link", "key"
}
/^[a-z]/ { flush(); section = $1; next }
section == "tasks" && /^  [0-9]+ uid [0-9]+ level [0-9]+ / {
    flush()
    level = $5
    at[level] = quoted($0)
    ce = at[level - 1]
    form = "subtask"
    next
}
section == "assignments" && /^  uid / { flush(); ce = quoted($0); form = "assignment"; next }
/^    Text[0-9]+ / { f[$1] = quoted($0) }
END { flush() }
