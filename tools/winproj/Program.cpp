#include "tools/winproj/Program.h"

#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "platform/automation/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/forms/TerminalUser.h"
#include "platform/os/Registry.h"
#include "tools/winproj/Console.h"
#include "tools/winproj/Host.h"
#include "tools/winproj/MachineSettings.h"
#include "tools/winproj/PlanDump.h"

namespace winproj {

namespace forms = platform::forms;
using platform::automation::Err;

namespace {

const char* const kUsage =
    "usage: winproj [--home DIR] [--script FILE] [--transcript FILE] [PLAN.mpp]\n"
    "               [--view NAME | --select ROW | --run MACRO]... [--dump]\n";
const char* const kHelp =
    "Plays the planning program of the machine folder (--home, else $KOVA_HOME, else ~/.kova) with a new\n"
    "plan or the one named. Without --script, --run or --dump it is a prompt at the terminal (type help\n"
    "there); with them a scripted run: the script answers the dialogs and boxes, --run runs macros of the\n"
    "global template, --view applies a view and --select clicks a row of the active view before the next\n"
    "macro, --dump prints the active plan, --transcript writes what the user saw.\n";

struct CommandLine {
    std::string home, script, transcript, plan;
    // The user's steps in order: a macro to run, a row of the active view to click, a view to apply.
    struct Step {
        enum Kind { Run, Select, View } kind = Run;
        std::string value;
    };
    std::vector<Step> macros;
    bool dump = false, help = false;
    bool Scripted() const { return !script.empty() || !macros.empty() || dump; }
};

bool Parse(const std::vector<std::string>& args, CommandLine& line, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.help = true;
            continue;
        }
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = arg + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        if (arg == "--home") {
            if (!value(line.home)) return false;
        } else if (arg == "--script") {
            if (!value(line.script)) return false;
        } else if (arg == "--transcript") {
            if (!value(line.transcript)) return false;
        } else if (arg == "--run") {
            std::string macro;
            if (!value(macro)) return false;
            line.macros.push_back({CommandLine::Step::Run, macro});
        } else if (arg == "--select") {
            std::string row;
            if (!value(row)) return false;
            if (row.find_first_not_of("0123456789") != std::string::npos) {
                error = "--select needs a row number";
                return false;
            }
            line.macros.push_back({CommandLine::Step::Select, row});
        } else if (arg == "--view") {
            std::string view;
            if (!value(view)) return false;
            line.macros.push_back({CommandLine::Step::View, view});
        } else if (arg == "--dump") {
            line.dump = true;
        } else if (arg.rfind("-", 0) == 0 && arg.size() > 1) {
            error = "unknown option " + arg;
            return false;
        } else if (line.plan.empty()) {
            line.plan = arg;
        } else {
            error = "one plan only (" + line.plan + ", " + arg + ")";
            return false;
        }
    }
    return true;
}

// The user's part of the run: the host's own work goes between Start and this.
int Finish(forms::UserDriver& user, forms::ScriptedUser* scripted, const CommandLine& line, int status,
           std::ostream& err) {
    forms::DiscardAllForms();
    if (scripted && !scripted->Finish() && status == 0) status = 1;
    if (!line.transcript.empty() && !user.transcript().WriteTo(FullPath(line.transcript))) {
        err << "winproj: cannot write the transcript " << line.transcript << ": " << Err().Description
            << "\n";
        if (status == 0) status = 2;
    }
    Err().Clear();
    return status;
}

} // namespace

int RunProgram(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    CommandLine line;
    std::string error;
    if (!Parse(args, line, error)) {
        err << "winproj: " << error << "\n" << kUsage;
        return 2;
    }
    if (line.help) {
        out << kUsage << kHelp;
        return 0;
    }
    if (!line.home.empty()) ::setenv("KOVA_HOME", FullPath(line.home).c_str(), 1);
    if (const std::string damage = platform::os::RegistryDamage(); !damage.empty()) {
        err << "winproj: " << damage << "\n";
        return 2;
    }
    if (!line.home.empty() && !MachineIsLaidOut()) {
        err << "winproj: " << FullPath(line.home) << " is not a machine folder laid out by kova-setup (it has no "
            << "planning program); lay it out with: kova-setup --home " << FullPath(line.home) << "\n";
        return 2;
    }

    std::unique_ptr<forms::UserDriver> user;
    forms::ScriptedUser* scripted = nullptr;
    if (!line.script.empty()) {
        std::ifstream file(line.script, std::ios::binary);
        if (!file) {
            err << "winproj: cannot read the script " << line.script << "\n";
            return 2;
        }
        std::ostringstream text;
        text << file.rdbuf();
        auto steps = std::make_unique<forms::ScriptedUser>();
        if (!steps->AddScript(text.str())) {
            err << "winproj: " << line.script << ": " << Err().Description << "\n";
            return 2;
        }
        steps->OnFailure(
            [&err](const std::string& message) { err << "winproj: script failure: " << message << "\n"; });
        scripted = steps.get();
        user = std::move(steps);
    } else {
        user = std::make_unique<forms::TerminalUser>(in, out);
    }
    forms::ScopedUser on(*user);
    const std::string previousTitle = forms::SetProgramTitle(kHostTitle);
    MakeServerClassesCreatable();

    int status = 0;
    {
        Host host;
        if (!host.Start(ReadMachineSettings())) {
            err << "winproj: the planning program cannot start: " << Err().Description << "\n";
            status = 2;
        } else {
            for (const std::string& notice : host.app().StartNotices())
                err << "winproj: " << notice << "\n";
            if (!line.Scripted()) PrintBanner(host, out);
            if (line.plan.empty()) {
                host.NewPlan();
            } else if (!host.OpenPlan(line.plan)) {
                err << "winproj: cannot open " << line.plan << ": " << Err().Description << "\n";
                status = 2;
            }
        }
        if (status == 0 && !line.Scripted()) {
            status = RunConsole(host, in, out);
        } else if (status == 0) {
            for (const CommandLine::Step& step : line.macros) {
                if (step.kind == CommandLine::Step::View) {
                    host.app().ViewApply(step.value, true);
                    if (Err().Number == 0) continue;
                    err << "winproj: cannot apply the view " << step.value << ": " << Err().Description << "\n";
                    status = 2;
                    Err().Clear();
                    break;
                }
                if (step.kind == CommandLine::Step::Run) {
                    // The integration goes on after a save that failed; the run did not end as it should.
                    const int32_t failedSaves = host.app().FailedSaves();
                    host.RunMacro(step.value);
                    if (host.app().FailedSaves() > failedSaves) {
                        err << "winproj: " << step.value
                            << " could not save the plan: " << host.app().LastSaveFailure() << "\n";
                        status = 1;
                    }
                    continue;
                }
                host.app().SelectRow(static_cast<int32_t>(std::strtol(step.value.c_str(), nullptr, 10)), false);
                if (Err().Number != 0) {
                    err << "winproj: cannot select row " << step.value << ": " << Err().Description << "\n";
                    status = 2;
                    Err().Clear();
                    break;
                }
            }
            if (line.dump) {
                if (host.app().Projects().Count() > 0)
                    DumpPlan(host.app().ActiveProject(), out);
                else
                    out << "no plan is open\n";
            }
            if (host.MacroFailures() > 0) status = 1;
        }
        // The menu and toolbar state is the program's, not the user's work: a write of it that fails
        // is told, and the run's status stays.
        if (const std::string problem = host.Quit(); !problem.empty())
            err << "winproj: the menu and toolbar state of this session is not kept: " << problem << "\n";
    }
    status = Finish(*user, scripted, line, status, err);
    forms::SetProgramTitle(previousTitle);
    return status;
}

} // namespace winproj
