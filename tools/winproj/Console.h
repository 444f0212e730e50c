#pragma once
// The interactive prompt of the host: the person works with the planning program by typed commands,
// and the dialogs and boxes that commands show are answered at the same terminal (TerminalUser).
//
//   menu [BAR] [ITEM]   lists a command bar ("File" unless named), its pop-ups' items numbered 5.1,
//                       5.2, ...; with an item number it chooses the item: an item with a macro runs
//                       it, the built-in New, Open, Close, Save, Save As and Exit do what they say
//   toolbar [BUTTON]    lists the integration's toolbar "KovaProjectToolBar", buttons numbered 1, 2, ...;
//                       with a button number presses it, which runs its macro
//   bars                lists the command bars of the global template
//   run MACRO           runs a macro of the global template
//   new | open PATH | save | saveas PATH | close | plans | activate NAME
//   select ROW          makes a row of the active view the selection (the active cell)
//   outline | task ID | dump
//   help | quit
#include <iosfwd>

#include "tools/winproj/Host.h"

namespace winproj {

// "winproj: Microsoft Project 11.0, user-interface language 1033, program folder ...".
void PrintBanner(Host& host, std::ostream& out);

// Reads commands until "quit" (or the menu's Exit) or the end of the input. Before the session ends
// (and at "close") each plan with unsaved changes is asked about, Yes/No/Cancel; at the end of the
// input, where no one can answer, its changes are kept in "NAME.unsaved.mpp" beside it. 1 when that
// happened, else 0.
int RunConsole(Host& host, std::istream& in, std::ostream& out);

} // namespace winproj
