#pragma once
// The host program's command line:
//   winproj [--home DIR] [--script FILE] [--transcript FILE] [PLAN.mpp] [--select ROW | --run MACRO]... [--dump]
// --home sets KOVA_HOME. PLAN.mpp is opened (a path that does not exist yet becomes a new plan saved
// there); without it the program starts with a new plan. With --script the dialogs, boxes and
// prompts are answered by the script's steps (ScriptedUser's format, "#" comments), else by the
// person at the terminal. With --run, --dump or --script the run is scripted: the macros run in
// order, each --select before them clicking that row of the active view first, --dump prints the active plan, and the program ends; otherwise the interactive prompt
// starts. --transcript writes what the user was shown.
// Exit codes: 0 done; 1 a scripted run failed (a script failure such as an unexpected box or steps
// left over, or a macro that could not run); 2 a wrong command line or the program could not start.
#include <iosfwd>
#include <string>
#include <vector>

namespace winproj {

int RunProgram(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

} // namespace winproj
