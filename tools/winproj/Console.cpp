#include "tools/winproj/Console.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/UserDriver.h"
#include "platform/msproject/MSProject.h"
#include "tools/winproj/PlanDump.h"

namespace winproj {

namespace automation = platform::automation;
namespace forms = platform::forms;
namespace msp = platform::msproject;
using automation::Err;

namespace {

constexpr char kToolbarName[] = "KovaProjectToolBar";

const char* const kHelp =
    "commands:\n"
    "  menu [BAR] [ITEM]   list a command bar (File unless named); with an item number\n"
    "                      (5 or 5.1) choose that item\n"
    "  toolbar [BUTTON]    list the integration's toolbar; with a button number press it\n"
    "  bars                list the command bars\n"
    "  run MACRO           run a macro of the global template\n"
    "  new                 a new plan\n"
    "  open PATH           open a plan file\n"
    "  save                save the active plan\n"
    "  saveas PATH         save the active plan under another name\n"
    "  close               close the active plan\n"
    "  plans               list the open plans\n"
    "  activate NAME       make an open plan the active one\n"
    "  view NAME           apply a view (\"Gantt Chart\", \"Kova Proj Budget\", ...) to the active window\n"
    "  select ROW          make a row of the active view the selection and active cell\n"
    "  outline             the active plan's task outline\n"
    "  task ID             one task's fields\n"
    "  add NAME [BEFORE]   a new task at the end (or before row BEFORE)\n"
    "  set ID FIELD VALUE  a task's field (Name, Text1, Flag2, Start, ...); true/false for flags\n"
    "  indent ID | outdent ID   a task one outline level down or up, with its subtasks\n"
    "  assign ID RESOURCE [OTHER]   assign a resource (by name) to a task; with OTHER in its place\n"
    "  unassign ID RESOURCE         take a resource off a task\n"
    "  dump                the whole active plan\n"
    "  help | quit\n";

// Blank-separated words; a double-quoted text is one word.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i)
                word += line[i];
            ++i;
        } else {
            for (; i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])); ++i)
                word += line[i];
        }
        words.push_back(word);
    }
    return words;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "5.1" -> {5, 1}; empty when the word is no item number.
std::vector<int32_t> ItemPath(const std::string& word) {
    std::vector<int32_t> path;
    std::string part;
    for (size_t i = 0; i <= word.size(); ++i) {
        if (i == word.size() || word[i] == '.') {
            if (part.empty()) return {};
            path.push_back(std::atoi(part.c_str()));
            part.clear();
        } else if (std::isdigit(static_cast<unsigned char>(word[i]))) {
            part += word[i];
        } else {
            return {};
        }
    }
    return path;
}

// A caption as the menu shows it without its access-key marks and ellipsis: "Save &As..." -> "Save As".
std::string Plain(const std::string& caption) {
    std::string out;
    for (char c : caption)
        if (c != '&') out += c;
    while (!out.empty() && out.back() == '.')
        out.pop_back();
    return out;
}

class Console {
public:
    Console(Host& host, std::istream& in, std::ostream& out) : host_(host), in_(in), out_(out) {}

    int Run() {
        ShowActive();
        out_ << "Type \"help\" for the commands.\n";
        std::string line;
        while (!quit_) {
            out_ << "winproj> " << std::flush;
            if (!std::getline(in_, line)) {
                out_ << "\n";
                Leave();
                break;
            }
            if (!line.empty() && line.back() == '\r') line.pop_back();
            Execute(Words(line));
            Report();
        }
        return notAsAsked_ ? 1 : 0;
    }

private:
    bool InputEnded() const { return !in_; }

    // A plan whose closing would lose something: unsaved, and either stored already or holding work.
    static bool HasChanges(const msp::Project& plan) {
        const bool changed = !plan.Saved() && (!plan.Path().empty() || plan.Tasks().Count() > 0 ||
                                              plan.Resources().Count() > 0 ||
                                              plan.CustomDocumentProperties().Count() > 0);
        Err().Clear();
        return changed;
    }

    // The person leaves (quit, Exit, the end of the input): each changed plan is asked about, as the
    // planning program asks when it is closed. False when the person cancelled: the session goes on.
    bool Leave() {
        std::vector<msp::Project> plans;
        for (int32_t i = 1; i <= host_.app().Projects().Count(); ++i)
            plans.push_back(host_.app().Projects().Item(i));
        for (const msp::Project& plan : plans)
            if (!Settle(plan)) return false;
        return true;
    }

    // A plan about to close, asked about when it has changes: Yes saves it (a never-saved one through
    // the Save As dialog), No lets the changes go, Cancel keeps it open. When the input has ended the
    // question cannot be answered: the changes are kept in a copy beside the plan, whose own file stays
    // as it was last saved. False when the plan is to stay open.
    bool Settle(const msp::Project& plan) {
        if (!HasChanges(plan)) return true;
        const int32_t answer = forms::MsgBox("Do you want to save changes to " + plan.Name() + "?",
                                             forms::vbYesNoCancel + forms::vbExclamation, kHostTitle);
        Err().Clear();
        if (InputEnded()) return KeepChanges(plan);
        if (answer == forms::vbNo) return true;
        if (answer == forms::vbCancel) return false;
        if (host_.SavePlan(plan)) return true;
        if (InputEnded()) return KeepChanges(plan);
        Report(); // a failed save says why; a cancelled Save As says nothing
        return false;
    }

    // The changes of a plan that no one is there to ask about, saved under a name of their own beside
    // the plan (a never-saved or server plan: in the working folder), never over another file.
    bool KeepChanges(const msp::Project& plan) {
        notAsAsked_ = true;
        const std::string name = plan.Name(), folder = plan.Path();
        std::filesystem::path where = folder.empty() || folder.front() == '<'
                                          ? std::filesystem::current_path()
                                          : std::filesystem::path(folder);
        std::string stem = std::filesystem::path(name).stem().string();
        if (Lower(std::filesystem::path(name).extension().string()) != ".mpp") stem = name;
        std::filesystem::path copy = where / (stem + ".unsaved.mpp");
        for (int n = 2; std::filesystem::exists(copy); ++n)
            copy = where / (stem + ".unsaved-" + std::to_string(n) + ".mpp");
        const bool stored = !folder.empty();
        if (host_.SavePlan(plan, copy.string())) {
            out_ << "! the input ended before the question was answered: the changes to " << name
                 << " are kept in " << copy.string()
                 << (stored ? "; the plan's own file is as it was last saved" : "") << "\n";
        } else {
            out_ << "! the input ended before the question was answered, and the changes to " << name
                 << " could not be kept in " << copy.string() << ": " << Err().Description << "\n";
        }
        Err().Clear();
        return true;
    }

    // The person closes the active plan: asked about its changes as when the program ends.
    void CloseActive() {
        if (!NeedsPlan()) return;
        if (!Settle(host_.app().ActiveProject())) return;
        host_.app().FileClose(msp::pjDoNotSave);
        if (Err().Number == 0) ShowActive();
    }

    void ShowActive() {
        msp::Application& app = host_.app();
        if (app.Projects().Count() == 0) {
            out_ << "No plan is open.\n";
        } else {
            msp::Project plan = app.ActiveProject();
            out_ << "Active plan: " << plan.Name() << (plan.Saved() ? "" : " (not saved)") << "\n";
        }
        Err().Clear();
    }

    // A command that failed in the planning program says why.
    void Report() {
        if (Err().Number != 0) out_ << "! " << Err().Description << " (error " << Err().Number << ")\n";
        Err().Clear();
    }

    bool NeedsPlan() {
        if (host_.app().Projects().Count() > 0) return true;
        out_ << "! no plan is open\n";
        return false;
    }

    void Execute(const std::vector<std::string>& words) {
        if (words.empty()) return;
        msp::Application& app = host_.app();
        const std::string command = Lower(words[0]);
        const std::string arg = words.size() > 1 ? words[1] : std::string();
        if (command == "help" || command == "?") {
            out_ << kHelp;
        } else if (command == "quit" || command == "exit") {
            quit_ = Leave();
        } else if (command == "menu") {
            Menu(words);
        } else if (command == "toolbar") {
            // The integration's toolbar is a command bar like the menu bar: listed and chosen alike.
            std::vector<std::string> menuWords = {words[0], kToolbarName};
            menuWords.insert(menuWords.end(), words.begin() + 1, words.end());
            Menu(menuWords);
        } else if (command == "bars") {
            msp::CommandBars bars = app.CommandBars();
            for (int32_t i = 1; i <= bars.Count(); ++i)
                out_ << "  " << bars.Item(i).Name() << "\n";
        } else if (command == "run") {
            if (arg.empty()) {
                out_ << "! run needs a macro name\n";
                return;
            }
            host_.RunMacro(arg);
        } else if (command == "new") {
            host_.NewPlan();
            ShowActive();
        } else if (command == "open") {
            if (arg.empty()) {
                out_ << "! open needs a path\n";
                return;
            }
            app.FileOpen(FullPath(arg));
            if (Err().Number == 0) ShowActive();
        } else if (command == "save") {
            if (!NeedsPlan()) return;
            app.FileSave();
            if (Err().Number == 0) ShowActive();
        } else if (command == "saveas") {
            if (!NeedsPlan()) return;
            if (arg.empty()) {
                out_ << "! saveas needs a path\n";
                return;
            }
            app.FileSaveAs(FullPath(arg));
            if (Err().Number == 0) ShowActive();
        } else if (command == "close") {
            CloseActive();
        } else if (command == "plans") {
            msp::Projects plans = app.Projects();
            std::string active = plans.Count() > 0 ? app.ActiveProject().Name() : std::string();
            for (int32_t i = 1; i <= plans.Count(); ++i) {
                msp::Project plan = plans.Item(i);
                out_ << (plan.Name() == active ? "* " : "  ") << plan.Name() << "  " << plan.FullName()
                     << (plan.Saved() ? "" : " (not saved)") << "\n";
            }
        } else if (command == "activate") {
            app.WindowActivate(arg);
            if (Err().Number == 0) ShowActive();
        } else if (command == "view") {
            if (!NeedsPlan()) return;
            if (arg.empty()) {
                out_ << "! view needs a view name\n";
                return;
            }
            app.ViewApply(arg, true);
            if (Err().Number == 0) out_ << "View: " << app.ActiveProject().CurrentView() << "\n";
        } else if (command == "outline") {
            if (NeedsPlan()) PrintOutline(app.ActiveProject(), out_);
        } else if (command == "task") {
            if (!NeedsPlan()) return;
            msp::Task task = app.ActiveProject().Tasks().Item(std::atoi(arg.c_str()));
            if (task)
                PrintTask(task, out_);
            else if (Err().Number == 0)
                out_ << "! row " << arg << " is blank\n";
        } else if (command == "select") {
            if (!NeedsPlan()) return;
            app.SelectRow(std::atoi(arg.c_str()), false);
            msp::Task task = app.ActiveCell().Task();
            if (Err().Number == 0) out_ << "row " << arg << ": " << (task ? task.Name() : "(blank)") << "\n";
        } else if (command == "add") {
            if (!NeedsPlan()) return;
            std::optional<int32_t> before;
            if (words.size() > 2) before = std::atoi(words[2].c_str());
            msp::Task task = app.ActiveProject().Tasks().Add(arg, before);
            if (task) out_ << "Added task " << task.Id() << "\n";
        } else if (command == "set") {
            if (!NeedsPlan()) return;
            if (words.size() < 4) {
                out_ << "! set needs a task id, a field and a value\n";
                return;
            }
            msp::Task task = app.ActiveProject().Tasks().Item(std::atoi(arg.c_str()));
            const std::string value = Lower(words[3]);
            if (!task) {
                if (Err().Number == 0) out_ << "! row " << arg << " is blank\n";
                return;
            }
            task.SetField(words[2], value == "true" || value == "false" ? automation::Variant(value == "true")
                                                                        : automation::Variant(words[3]));
            if (Err().Number != 0) return;
            // What the program made of the value (a date's time of day, a duration in minutes).
            const automation::Variant stored = task.GetField(words[2]);
            if (Err().Number == 0)
                out_ << "Task " << task.Id() << " " << forms::Quote(task.Name()) << ": " << words[2] << " "
                     << FieldText(stored) << "\n";
        } else if (command == "indent" || command == "outdent") {
            if (!NeedsPlan()) return;
            msp::Task task = app.ActiveProject().Tasks().Item(std::atoi(arg.c_str()));
            if (task && command == "indent") task.OutlineIndent();
            if (task && command == "outdent") task.OutlineOutdent();
        } else if (command == "assign" || command == "unassign") {
            if (!NeedsPlan()) return;
            if (words.size() < 3) {
                out_ << "! " << command << " needs a task id and a resource name\n";
                return;
            }
            app.SelectRow(std::atoi(arg.c_str()), false);
            if (command == "unassign")
                app.ResourceAssignment(words[2], msp::pjRemove);
            else if (words.size() > 3)
                app.ResourceAssignment(words[2], msp::pjReplace, words[3]);
            else
                app.ResourceAssignment(words[2], msp::pjAssign);
        } else if (command == "dump") {
            if (NeedsPlan()) DumpPlan(app.ActiveProject(), out_);
        } else {
            out_ << "! unknown command " << words[0] << " (help lists them)\n";
        }
    }

    void ListControls(const msp::CommandBarControls& controls, const std::string& prefix, int depth) {
        for (int32_t i = 1; i <= controls.Count(); ++i) {
            msp::CommandBarControl control = controls.Item(i);
            if (!control.Visible()) continue;
            const std::string number = prefix + std::to_string(i);
            std::string line =
                std::string(static_cast<size_t>(2 + 3 * depth), ' ') + number + "  " + control.Caption();
            if (control.Type() == msp::msoControlPopup) line += "  >";
            if (!control.OnAction().empty()) line += "  [" + control.OnAction() + "]";
            if (!control.Enabled()) line += "  (disabled)";
            out_ << line << "\n";
            if (control.Type() == msp::msoControlPopup)
                ListControls(control.Controls(), number + ".", depth + 1);
        }
    }

    void Menu(const std::vector<std::string>& words) {
        std::string barName = "File";
        std::vector<int32_t> path;
        for (size_t i = 1; i < words.size(); ++i) {
            if (std::vector<int32_t> item = ItemPath(words[i]); !item.empty())
                path = item;
            else
                barName = words[i];
        }
        msp::CommandBar bar = host_.app().CommandBars(barName);
        if (!bar) return;
        if (path.empty()) {
            out_ << bar.Name() << "\n";
            ListControls(bar.Controls(), "", 0);
            return;
        }
        msp::CommandBarControls controls = bar.Controls();
        msp::CommandBarControl control;
        for (int32_t index : path) {
            if (!controls) {
                out_ << "! there is no item " << words.back() << "\n";
                return;
            }
            control = controls.Item(index);
            if (!control) return;
            controls = control.Controls();
        }
        Choose(control);
    }

    void Choose(const msp::CommandBarControl& control) {
        if (!control.Enabled()) {
            out_ << "! " << Plain(control.Caption()) << " is disabled\n";
            return;
        }
        if (control.Type() == msp::msoControlPopup) {
            ListControls(control.Controls(), "", 0);
            return;
        }
        if (!control.OnAction().empty()) {
            host_.RunMacro(control.OnAction());
            return;
        }
        msp::Application& app = host_.app();
        const std::string item = Plain(control.Caption());
        if (item == "New") {
            host_.NewPlan();
            ShowActive();
        } else if (item == "Open") {
            std::optional<std::string> path = forms::AskText("Open", kHostTitle);
            if (!path || path->empty()) return;
            app.FileOpen(FullPath(*path));
            if (Err().Number == 0) ShowActive();
        } else if (item == "Close") {
            CloseActive();
        } else if (item == "Save") {
            if (!NeedsPlan()) return;
            app.FileSave();
            if (Err().Number == 0) ShowActive();
        } else if (item == "Save As") {
            if (!NeedsPlan()) return;
            std::optional<std::string> path = forms::AskText(forms::SaveAsPrompt, kHostTitle);
            if (!path || path->empty()) return;
            app.FileSaveAs(FullPath(*path));
            if (Err().Number == 0) ShowActive();
        } else if (item == "Exit") {
            quit_ = Leave();
        } else {
            out_ << "! " << item << " is not available here\n";
        }
    }

    Host& host_;
    std::istream& in_;
    std::ostream& out_;
    bool quit_ = false;
    bool notAsAsked_ = false; // the input ended with changes no one could be asked about
};

} // namespace

void PrintBanner(Host& host, std::ostream& out) {
    msp::Application& app = host.app();
    out << "winproj: " << kHostTitle << " " << app.Version() << ", user-interface language "
        << app.UILanguage() << ", program folder " << app.Path() << "\n";
}

int RunConsole(Host& host, std::istream& in, std::ostream& out) {
    return Console(host, in, out).Run();
}

} // namespace winproj
