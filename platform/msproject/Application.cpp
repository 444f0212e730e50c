#include "platform/msproject/Application.h"

#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/automation/ClassRegistry.h"
#include "platform/msproject/Model.h"
#include "platform/os/KovaHome.h"
#include "platform/os/Locale.h"

namespace platform::msproject {

using namespace detail;
using automation::Arg;
using automation::CallArgs;
using automation::CallKind;
using automation::MemberTable;
using automation::Variant;

namespace {

std::mutex g_lock;
std::shared_ptr<Application> g_running;

// "C:/x/Plan.mpp" -> ("C:/x", "Plan.mpp"); "Plan" -> ("", "Plan")
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    size_t at = path.find_last_of("/\\");
    if (at == std::string::npos) return {"", path};
    return {path.substr(0, at), path.substr(at + 1)};
}

std::string WithExtension(const std::string& name) {
    if (name.find('.') == std::string::npos) return name + ".mpp";
    return name;
}

void WritePlan(PlanData& p, const std::filesystem::path& file) {
    std::error_code ec;
    if (!file.parent_path().empty()) {
        if (!p.folder.empty() && p.folder.front() == '<')
            std::filesystem::create_directories(file.parent_path(), ec);
        if (!std::filesystem::is_directory(file.parent_path()))
            Fail(kAppError, "The folder " + file.parent_path().string() + " does not exist.");
    }
    if (!os::WriteFileAtomically(file, SerializePlan(p))) {
        const int error = errno;
        Fail(kAppError, "The file \"" + file.string() + "\" could not be saved (" + std::strerror(error) + ").");
    }
}

} // namespace

// ---------------------------------------------------------------- life cycle

Application::Application(const ApplicationOptions& o) : state_(std::make_shared<AppState>()) {
    auto& s = *state_;
    s.self = this;
    s.programFolder = os::KovaPath("msproject", true);
    s.uiLanguage = o.uiLanguage;
    s.version = o.version;
    s.alerts = o.alerts;
    s.decimalSeparator = o.decimalSeparator.empty() ? os::LocaleDecimalSeparator() : o.decimalSeparator;
    s.am = o.amDesignator.empty() ? os::LocaleAmDesignator() : o.amDesignator;
    s.pm = o.pmDesignator.empty() ? os::LocalePmDesignator() : o.pmDesignator;
    if (s.decimalSeparator.empty()) s.decimalSeparator = ".";
    if (o.saveAsPrompt) {
        auto prompt = o.saveAsPrompt;
        s.saveAsPrompt = [prompt](PlanData& p) { return prompt(MakeHandle<Project>(p.shared_from_this())); };
    }
    s.alertPrompt = o.alertPrompt;
    if (o.projectActivated) {
        auto hook = o.projectActivated;
        s.projectActivated = [hook](PlanData& p) { hook(MakeHandle<Project>(p.shared_from_this())); };
    }
    Guard([&] {
        try {
            s.LoadGlobal();
        } catch (...) {
            s.running = false; // without its global template the program does not start
            throw;
        }
    });
}

Application::~Application() {
    // Handles may outlive the program: what they point into is marked gone.
    state_->running = false;
    state_->self = nullptr;
    for (auto& p : state_->plans) {
        p->deleted = true;
        p->app = nullptr;
    }
    state_->plans.clear();
    state_->active.reset();
}

void RegisterApplicationClass() {
    automation::ClassInfo info;
    info.progId = kApplicationProgID;
    info.classId = "{5B1C7E2A-3D94-4F0B-A6E1-7C2D9B40E513}";
    info.interfaceId = "{5B1C7E2B-3D94-4F0B-A6E1-7C2D9B40E513}";
    info.factory = [] {
        auto app = RunningApplication();
        return app ? automation::Object(std::static_pointer_cast<automation::Dispatch>(app))
                   : automation::Object();
    };
    automation::RegisterClass(std::move(info));
}

std::shared_ptr<Application> StartApplication(const ApplicationOptions& options) {
    QuitApplication();
    RegisterApplicationClass();
    auto app = std::make_shared<Application>(options);
    std::lock_guard g(g_lock);
    g_running = app;
    return app;
}

void QuitApplication() {
    std::shared_ptr<Application> app = RunningApplication();
    if (app) app->Quit(pjDoNotSave);
    std::lock_guard g(g_lock);
    if (g_running == app) g_running.reset();
}

std::shared_ptr<Application> RunningApplication() {
    std::lock_guard g(g_lock);
    if (g_running && !g_running->Running()) g_running.reset();
    return g_running;
}

bool Application::Running() const {
    return state_->running;
}

std::vector<std::string> Application::StartNotices() const {
    return state_->notices;
}

// ---------------------------------------------------------------- plans and files

Projects Application::Projects() const {
    return Guard([&] {
        if (!state_->running) Fail(kServerGone, "The remote server machine does not exist or is unavailable");
        return MakeHandle<platform::msproject::Projects>(state_);
    });
}

Project Application::ActiveProject() const {
    return Guard([&] { return MakeHandle<Project>(state_->Active().shared_from_this()); });
}

void Application::FileNew(bool) {
    Guard([&] {
        auto& s = *state_;
        if (!s.running) Fail(kServerGone, "The remote server machine does not exist or is unavailable");
        auto p = NewPlan(&s);
        p->name = "Project" + std::to_string(++s.newPlanCounter);
        p->windowNumber = ++s.windowCounter;
        s.plans.push_back(p);
        s.Activate(p);
    });
}

void Application::FileOpen(const std::string& Name, bool) {
    Guard([&] {
        auto& s = *state_;
        if (!s.running) Fail(kServerGone, "The remote server machine does not exist or is unavailable");
        auto [folder, name] = SplitPath(Name);
        auto file = StoragePath(folder, name);
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec) && name.find('.') == std::string::npos) {
            name = WithExtension(name);
            file = StoragePath(folder, name);
        }
        for (const auto& p : s.plans)
            if (!p->file.empty() && std::filesystem::equivalent(p->file, file, ec)) {
                s.Activate(p);
                return;
            }
        std::string text;
        if (!std::filesystem::is_regular_file(file, ec) || !os::ReadWholeFile(file, text))
            Fail(kAppError, "The file \"" + Name + "\" was not found.");
        auto p = NewPlan(&s);
        DeserializePlan(*p, text, file.string());
        p->name = name;
        p->folder = folder;
        p->file = file;
        p->saved = true;
        if (!p->Hold()) {
            if (!s.Alert("\"" + name + "\" is in use by another user or program. It opens read-only: save "
                         "your changes under another name."))
                Fail(kAppError, "The file \"" + Name + "\" is in use and was not opened.");
            p->readOnly = true;
        }
        if (!FindView(p->items, p->currentView) && !FindView(s.global, p->currentView))
            p->currentView = "Gantt Chart";
        p->windowNumber = ++s.windowCounter;
        s.plans.push_back(p);
        s.Activate(p);
    });
}

namespace {

void SaveTo(AppState& s, PlanData& p, const std::string& path) {
    auto [folder, name] = SplitPath(path);
    if (name.empty()) Fail(kAppError, "The file name is not valid.");
    name = WithExtension(name);
    auto file = StoragePath(folder, name);
    std::error_code ec;
    if (p.readOnly && !p.file.empty() && std::filesystem::equivalent(p.file, file, ec))
        Fail(kAppError, "\"" + p.name + "\" is open read-only: save it under another name.");
    std::string oldFolder = p.folder;
    p.folder = folder;
    try {
        WritePlan(p, file);
    } catch (...) {
        p.folder = oldFolder;
        throw;
    }
    p.name = name;
    p.file = file;
    p.saved = true;
    p.readOnly = false;
    p.Hold();
    s.SaveGlobal();
}

void SavePlan(AppState& s, PlanData& p) {
    if (p.file.empty() || p.readOnly) {
        // Never saved, or open read-only: the Save As dialog; Cancel leaves the plan unsaved without an
        // error.
        if (p.readOnly && !s.saveAsPrompt)
            Fail(kAppError, "\"" + p.name + "\" is open read-only: save it under another name.");
        std::optional<std::string> answer;
        if (s.saveAsPrompt) answer = s.saveAsPrompt(p);
        if (!answer || answer->empty()) return;
        SaveTo(s, p, *answer);
        return;
    }
    WritePlan(p, p.file);
    p.saved = true;
    p.Hold(); // the saved file is a new one on disk
    s.SaveGlobal();
}

void ClosePlan(AppState& s, const std::shared_ptr<PlanData>& p, int32_t save) {
    if (save == pjSave || (save == pjPromptSave && !p->saved && s.alerts &&
                           s.Alert("Do you want to save changes to " + p->name + "?"))) {
        SavePlan(s, *p);
        if (!p->saved) return; // the Save As dialog was cancelled: the plan stays open
    }
    p->deleted = true;
    p->Release();
    for (auto& t : p->tasks)
        if (t) t->deleted = true;
    std::erase(s.plans, p);
    if (s.active == p) s.Activate(s.plans.empty() ? nullptr : s.plans.back());
}

} // namespace

namespace {
// Runs a save, counting it when it fails.
template <class F> void CountedSave(AppState& s, F&& save) {
    try {
        save();
    } catch (const automation::AutomationError& e) {
        ++s.failedSaves;
        s.lastSaveFailure = e.description;
        throw;
    } catch (const std::exception& e) {
        ++s.failedSaves;
        s.lastSaveFailure = e.what();
        throw;
    }
}
} // namespace

void Application::FileSave() {
    Guard([&] { CountedSave(*state_, [&] { SavePlan(*state_, state_->Active()); }); });
}

void Application::FileSaveAs(const std::string& Name, const std::string& FormatID) {
    Guard([&] {
        auto& p = state_->Active();
        if (!FormatID.empty() && !SameText(FormatID, "MSProject.MPP"))
            Fail(kAppError, "The file format " + FormatID + " is not supported.");
        CountedSave(*state_, [&] { SaveTo(*state_, p, Name); });
    });
}

int32_t Application::FailedSaves() const {
    return state_->failedSaves;
}
std::string Application::LastSaveFailure() const {
    return state_->lastSaveFailure;
}

void Application::FileClose(int32_t Save) {
    Guard([&] {
        state_->Active();
        ClosePlan(*state_, state_->active, Save);
    });
}

void Application::FileCloseAll(int32_t Save) {
    Guard([&] {
        auto& s = *state_;
        if (!s.running) Fail(kServerGone, "The remote server machine does not exist or is unavailable");
        auto plans = s.plans;
        for (auto it = plans.rbegin(); it != plans.rend(); ++it)
            ClosePlan(s, *it, Save);
    });
}

void Application::Quit(int32_t SaveChanges) {
    Guard([&] {
        auto& s = *state_;
        if (!s.running) Fail(kServerGone, "The remote server machine does not exist or is unavailable");
        s.projectActivated = nullptr; // no plan becomes active while the program ends
        auto plans = s.plans;
        for (auto it = plans.rbegin(); it != plans.rend(); ++it) {
            try {
                ClosePlan(s, *it, SaveChanges);
            } catch (const AutomationError&) {
                // Quitting goes on; what could not be saved is lost, as when the program is ended.
            }
            if (!(*it)->deleted) ClosePlan(s, *it, pjDoNotSave);
        }
        s.running = false;
        s.SaveGlobal();
    });
    state_->running = false;
}

void Application::WindowActivate(const std::string& WindowName) {
    Guard([&] {
        auto& s = *state_;
        if (!s.running) Fail(kServerGone, "The remote server machine does not exist or is unavailable");
        for (const auto& p : s.plans)
            if (SameText(p->name, WindowName) || SameText(p->Title(), WindowName)) {
                s.Activate(p);
                return;
            }
        Fail(kAppError, "There is no window named \"" + WindowName + "\".");
    });
}

// ---------------------------------------------------------------- options

void Application::Alerts(bool Show) {
    state_->alerts = Show;
}
bool Application::DisplayAlerts() const {
    return state_->alerts;
}
std::string Application::Version() const {
    return state_->version;
}
std::string Application::Path() const {
    return Guard([&] { return state_->ProgramFolder().string(); });
}
std::string Application::Name() const {
    return "Microsoft Project";
}
bool Application::Visible() const {
    return state_->visible;
}
void Application::SetVisible(bool v) {
    state_->visible = v;
}
bool Application::MacroVirusProtection() const {
    return state_->macroVirusProtection;
}
void Application::SetMacroVirusProtection(bool v) {
    state_->macroVirusProtection = v;
}
int32_t Application::ShowAssignmentUnitsAs() const {
    return state_->showAssignmentUnitsAs;
}
void Application::SetShowAssignmentUnitsAs(int32_t v) {
    state_->showAssignmentUnitsAs = v;
}
int32_t Application::UILanguage() const {
    return state_->uiLanguage;
}
std::string Application::GlobalTemplatePath() const {
    return Guard([&] { return state_->GlobalTemplateFile().string(); });
}
int32_t Application::AlertsShown() const {
    return state_->alertsShown;
}

// ---------------------------------------------------------------- late binding

Variant Application::Invoke(std::string_view name, CallKind kind, std::span<Arg> args) {
    using A = Application;
    static const MemberTable<A> members = {
        {"Path", [](A& a, CallArgs&) -> Variant { return a.Path(); }},
        {"Version", [](A& a, CallArgs&) -> Variant { return a.Version(); }},
        {"Name", [](A& a, CallArgs&) -> Variant { return a.Name(); }},
        {"Visible", [](A& a, CallArgs&) -> Variant { return a.Visible(); }},
        {"Visible", CallKind::PropertyLet,
         [](A& a, CallArgs& c) -> Variant {
             a.SetVisible(automation::strict::ToBoolean(c.Value()));
             return {};
         }},
        {"MacroVirusProtection", [](A& a, CallArgs&) -> Variant { return a.MacroVirusProtection(); }},
        {"MacroVirusProtection", CallKind::PropertyLet,
         [](A& a, CallArgs& c) -> Variant {
             a.SetMacroVirusProtection(automation::strict::ToBoolean(c.Value()));
             return {};
         }},
        {"DisplayAlerts", [](A& a, CallArgs&) -> Variant { return a.DisplayAlerts(); }},
        {"Alerts",
         {"Show"},
         [](A& a, CallArgs& c) -> Variant {
             a.Alerts(c.Boolean(0, true));
             return {};
         }},
        {"FileNew",
         {"SummaryInfo"},
         [](A& a, CallArgs& c) -> Variant {
             a.FileNew(c.Boolean(0, true));
             return {};
         }},
        {"FileOpen",
         {"Name", "ReadOnly"},
         [](A& a, CallArgs& c) -> Variant {
             a.FileOpen(c.String(0), c.Boolean(1, false));
             return {};
         }},
        {"FileSave",
         [](A& a, CallArgs&) -> Variant {
             a.FileSave();
             return {};
         }},
        {"FileSaveAs",
         {"Name", "FormatID"},
         [](A& a, CallArgs& c) -> Variant {
             a.FileSaveAs(c.String(0), c.String(1, "MSProject.MPP"));
             return {};
         }},
        {"FileClose",
         {"Save"},
         [](A& a, CallArgs& c) -> Variant {
             a.FileClose(c.Long(0, pjPromptSave));
             return {};
         }},
        {"FileCloseAll",
         {"Save"},
         [](A& a, CallArgs& c) -> Variant {
             a.FileCloseAll(c.Long(0, pjPromptSave));
             return {};
         }},
        {"Quit",
         {"SaveChanges"},
         [](A& a, CallArgs& c) -> Variant {
             a.Quit(c.Long(0, pjPromptSave));
             return {};
         }},
        {"WindowActivate",
         {"WindowName"},
         [](A& a, CallArgs& c) -> Variant {
             a.WindowActivate(c.String(0));
             return {};
         }},
        {"OrganizerMoveItem",
         {"Type", "FileName", "ToFileName", "Name", "Task"},
         [](A& a, CallArgs& c) -> Variant {
             a.OrganizerMoveItem(c.Long(0), c.String(1), c.String(2), c.String(3), c.Boolean(4, true));
             return {};
         }},
        {"OrganizerDeleteItem",
         {"Type", "FileName", "Name", "Task"},
         [](A& a, CallArgs& c) -> Variant {
             a.OrganizerDeleteItem(c.Long(0), c.String(1), c.String(2), c.Boolean(3, true));
             return {};
         }},
    };
    // Members of the typed interface record their own failures; a failure there must reach the
    // late-bound caller as its error, so it is raised again from the record.
    automation::ErrObject before = automation::Err();
    automation::Err().Clear();
    Variant result = members.Dispatch(*this, name, kind, args);
    if (automation::Err().Number != 0) {
        automation::ErrObject e = automation::Err();
        throw AutomationError(e.Number, e.Description, e.Source);
    }
    automation::Err() = before;
    return result;
}

} // namespace platform::msproject
