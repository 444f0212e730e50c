#pragma once
// The planning program as the host plays it: the running instance of the stand-in, the open plans,
// and the global template's macros.
//
// A macro runs as the global template's macros do: it creates the class of the type library that the
// global macro project references ("Grantry" -> "Grantry.KovaMSP") and calls the method named as the
// macro, late-bound, so that letter case does not matter ("ConnectProject" calls `connectProject`).
// Whenever a plan becomes the active one and the global project's first code module holds a
// `Project_Activate` procedure and the global project references "Grantry", the host runs the macro
// `KovaProjectOpen`, as the installed activation code does. A macro that cannot run, or that leaves
// an error behind, is reported in a message box, as the macro editor does.
//
// The host adds its own lines to the user driver's transcript (shown at the terminal as they come):
//   run MACRO                  a macro starts (from the command line, a menu item or an activation)
//   activate "PLAN"            a plan became the active one
// The planning program's Save As dialog for a never-saved plan is the driver's AskText(SaveAsPrompt)
// (a relative answer is taken from the working folder), and its own alerts while Alerts are on are
// OK/Cancel boxes.
#include <memory>
#include <string>

#include "platform/msproject/Application.h"
#include "tools/winproj/MachineSettings.h"

namespace winproj {

inline constexpr char kServerReference[] = "Grantry"; // the type library the template's macros use
inline constexpr char kCommandClass[] = "KovaMSP";    // their class in it
inline constexpr char kActivationProcedure[] = "Project_Activate";
inline constexpr char kActivationMacro[] = "KovaProjectOpen";
inline constexpr char kHostTitle[] = "Microsoft Project";
inline constexpr char kMacroErrorTitle[] = "Microsoft Visual Basic";

// Makes the integration server's command class creatable inside this process when the machine's
// registry (HKEY_CLASSES_ROOT) has it registered; its program file stays the one registered. True when
// the class is now creatable.
bool MakeServerClassesCreatable();

// A path as the user typed it, made absolute against the working folder.
std::string FullPath(const std::string& path);

class Host {
public:
    Host();
    // Quits the running instance, if Quit has not.
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Starts the running instance of the planning program; false, with the reason in Err(), when it
    // cannot.
    bool Start(const MachineSettings& settings);
    platform::msproject::Application& app() const { return *app_; }

    // Opens a plan file; one that does not exist yet becomes a new plan saved there. False, with the
    // reason in Err(), when it cannot.
    bool OpenPlan(const std::string& path);
    void NewPlan();

    // Runs a macro of the global template; false when it failed (a box told the user why).
    bool RunMacro(const std::string& name);
    int MacroFailures() const { return macroFailures_; }

    // Quits the running instance: plans are closed without saving and the global template (the menu
    // and toolbar state) is written. The reason the program gave when that write failed, else "".
    std::string Quit();

    // Whether the global template holds the installed activation code that runs KovaProjectOpen.
    bool HasActivationCode() const;

    // Saves a plan the program is about to close: as FileSave does (a never-saved or read-only plan
    // through the Save As dialog), or, with `path`, under that name. It becomes the active plan for the
    // save only, unseen by the integration (no activation macro runs). True when it is saved; otherwise
    // the reason, if any (a cancelled Save As has none), is in Err().
    bool SavePlan(platform::msproject::Project plan, const std::string& path = {});

private:
    void PlanActivated(const platform::msproject::Project& plan);
    void MacroFailed(const std::string& text);

    std::shared_ptr<platform::msproject::Application> app_;
    int macroDepth_ = 0;
    bool activating_ = false;
    bool closing_ = false; // plans become active only to be saved before they close
    int macroFailures_ = 0;
};

} // namespace winproj
