#include "tools/winproj/Host.h"

#include <filesystem>

#include "dataobjects/ClassRegistration.h"
#include "integration/budget/KovaBudgetLineTasks.h"
#include "integration/budget/KovaUpdateBudgetSchedule.h"
#include "integration/budget/frmSaveBaseline.h"
#include "integration/budget/frmSyncOptions.h"
#include "integration/budgetdialogs/frmKovabdglines.h"
#include "integration/budgetdialogs/frmKovabdgview.h"
#include "integration/chargestructure/frmKovaChargeElements.h"
#include "integration/connect/ConnectRun.h"
#include "integration/core/KovaMSP.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/UserDriver.h"
#include "platform/middleware/Registration.h"
#include "platform/os/ServerRegistration.h"

namespace winproj {

namespace automation = platform::automation;
namespace forms = platform::forms;
namespace msp = platform::msproject;
using automation::Err;

namespace {

void HostLine(const std::string& line) {
    forms::UserDriver* user = forms::CurrentUser();
    if (!user) return;
    user->transcript().Add(line);
    user->Recorded(forms::TranscriptKind::Note, line);
}

std::string CommandProgId() {
    return std::string(kServerReference) + "." + kCommandClass;
}

// The reference of the global macro project with that name, or Nothing.
msp::Reference FindReference(const msp::VBProject& global, const std::string& name, bool exactCase) {
    msp::References references = global.References();
    for (int32_t i = 1; i <= references.Count(); ++i) {
        msp::Reference reference = references.Item(i);
        if (!reference) continue;
        std::string found = reference.Name();
        if (exactCase ? found == name : automation::NamesEqual(found, name)) return reference;
    }
    return {};
}

} // namespace

bool MakeServerClassesCreatable() {
    const std::string server = platform::os::RegisteredServerPath(Grantry::kKovaMSPProgId);
    if (server.empty()) return false;
    // Only the class registry of this process: the machine's registration is kova-setup's business.
    automation::RegisterClass({Grantry::kKovaMSPProgId, Grantry::kKovaMSPClassId,
                               Grantry::kKovaMSPInterfaceId,
                               [] { return automation::MakeObject<Grantry::KovaMSP>(); }, server});
    // The server loads the data library, which reaches the ERP's client components on this machine.
    platform::middleware::RegisterMiddleware();
    KovaDataObjects::RegisterKovaDataObjects();
    // The server's commands show their dialogs from the modules that build them.
    Grantry::InstallConnectDialog();
    Grantry::InstallBudgetLineTasks();
    Grantry::InstallSyncOptionsDialog();
    Grantry::InstallBudgetScheduleRun();
    Grantry::InstallSaveBaselineDialog();
    Grantry::InstallChargeElementDialog();
    Grantry::InstallBudgetLineDialog();
    Grantry::InstallBudgetLineBrowser();
    return true;
}

// A plan name beginning "<>" names a plan on the project server, not a file of this machine.
bool IsServerPlanName(const std::string& path) {
    return path.rfind("<>", 0) == 0;
}

std::string FullPath(const std::string& path) {
    if (path.empty() || IsServerPlanName(path)) return path;
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

Host::Host() = default;

Host::~Host() {
    Quit();
}

std::string Host::Quit() {
    if (!app_) return {};
    Err().Clear();
    msp::QuitApplication();
    app_.reset();
    std::string problem = Err().Number != 0 ? Err().Description : std::string();
    Err().Clear();
    return problem;
}

bool Host::Start(const MachineSettings& settings) {
    msp::ApplicationOptions options;
    options.uiLanguage = settings.uiLanguage;
    options.version = settings.version;
    options.saveAsPrompt = [](const msp::Project&) -> std::optional<std::string> {
        std::optional<std::string> answer = forms::AskText(forms::SaveAsPrompt, kHostTitle);
        if (!answer || answer->empty()) return std::nullopt;
        return FullPath(*answer);
    };
    options.alertPrompt = [](const std::string& message) {
        return forms::MsgBox(message, forms::vbOKCancel + forms::vbExclamation, kHostTitle) == forms::vbOK;
    };
    options.projectActivated = [this](const msp::Project& plan) { PlanActivated(plan); };
    Err().Clear();
    app_ = msp::StartApplication(options);
    if (!app_ || !app_->Running()) {
        if (Err().Number == 0) Err().Raise(automation::errors::CantCreateObject);
        app_.reset();
        return false;
    }
    return true;
}

bool Host::OpenPlan(const std::string& path) {
    const std::string full = FullPath(path);
    Err().Clear();
    std::error_code ec;
    if (IsServerPlanName(full)) {
        // The server is asked for the plan; one it does not hold is made there.
        app_->FileOpen(full);
        if (Err().Number != 0) {
            Err().Clear();
            app_->FileNew(false);
            app_->FileSaveAs(full);
        }
    } else if (!std::filesystem::exists(full, ec)) {
        app_->FileNew(false);
        app_->FileSaveAs(full);
    } else {
        app_->FileOpen(full);
    }
    return Err().Number == 0;
}

void Host::NewPlan() {
    app_->FileNew(false);
}

bool Host::HasActivationCode() const {
    msp::VBProject global = app_->VBE().VBProjects(1);
    msp::CodeModule code = global.VBComponents().Item(1).CodeModule();
    const int32_t lines = code.ProcCountLines(kActivationProcedure, msp::vbext_pk_Proc);
    // The installed code compares the reference's name as it is written.
    const bool present = Err().Number == 0 && lines > 0 && FindReference(global, kServerReference, true);
    Err().Clear();
    return present;
}

bool Host::SavePlan(msp::Project plan, const std::string& path) {
    Err().Clear();
    msp::Project active = app_->ActiveProject();
    Err().Clear();
    closing_ = true;
    plan.Activate();
    if (Err().Number == 0) {
        if (path.empty())
            app_->FileSave();
        else
            app_->FileSaveAs(path);
    }
    const automation::ErrObject outcome = Err();
    Err().Clear();
    if (active && active != plan) active.Activate();
    closing_ = false;
    Err() = outcome;
    return Err().Number == 0 && plan.Saved();
}

void Host::PlanActivated(const msp::Project& plan) {
    if (closing_) return;
    HostLine("activate " + forms::Quote(plan.Name()));
    // The activation code's own macro does not start it again, and whatever it does, the call that
    // activated the plan sees its own outcome only.
    if (activating_) return;
    const automation::ErrObject outer = Err();
    Err().Clear();
    if (HasActivationCode()) {
        activating_ = true;
        RunMacro(kActivationMacro);
        activating_ = false;
    }
    Err() = outer;
}

bool Host::RunMacro(const std::string& name) {
    HostLine("run " + name);
    ++macroDepth_;
    Err().Clear();
    std::string failure;
    if (!FindReference(app_->VBE().VBProjects(1), kServerReference, false)) {
        failure = "Compile error in macro " + name +
                  ":\r\n\r\nThe global macro project has no reference named \"" + kServerReference +
                  "\", so the class " + CommandProgId() +
                  " is not defined. Install the integration into the global template first.";
    } else {
        Err().Clear();
        automation::Object command = automation::CreateObject(CommandProgId());
        if (Err().Number == 0) forms::RunUntilEnd([&] { automation::Call(command, name); });
        if (Err().Number != 0)
            failure = "Run-time error '" + std::to_string(Err().Number) + "' in macro " + name + ":\r\n\r\n" +
                      Err().Description;
        command.Release();
    }
    --macroDepth_;
    Err().Clear();
    // Forms unloaded by the macro are freed once no handler of any macro is running any more.
    if (macroDepth_ == 0) forms::ReleaseUnloadedForms();
    if (failure.empty()) return true;
    MacroFailed(failure);
    return false;
}

void Host::MacroFailed(const std::string& text) {
    ++macroFailures_;
    forms::MsgBox(text, forms::vbCritical, kMacroErrorTitle);
    Err().Clear();
}

} // namespace winproj
