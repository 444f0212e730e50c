#include "integration/core/KovaMSP.h"

#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/frmAbout.h"
#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/ServerRegistration.h"

namespace Grantry {

namespace automation = platform::automation;
namespace msp = platform::msproject;
using namespace platform::forms;

namespace {

// The classes run inside the process that created them, so for the length of a command the boxes
// without a title show this program's title, and the host's own title comes back afterwards.
class CommandScope {
public:
    CommandScope() : previousTitle_(SetProgramTitle(kProgramTitle)) {}
    ~CommandScope() { SetProgramTitle(previousTitle_); }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    std::string previousTitle_;
};

// A command of the interface: no arguments, no result. It has told the user of every failure it
// handled, so none of them reaches the calling macro.
automation::MemberTable<KovaMSP>::Member Command(const char* name, void (KovaMSP::*method)()) {
    return {name, [method](KovaMSP& self, automation::CallArgs&) -> automation::Variant {
                CommandScope scope;
                (self.*method)();
                automation::Err().Clear();
                return {};
            }};
}

// A method without error handling: its error reaches the caller.
automation::MemberTable<KovaMSP>::Member Unhandled(const char* name, void (KovaMSP::*method)()) {
    return {name, [method](KovaMSP& self, automation::CallArgs&) -> automation::Variant {
                CommandScope scope;
                (self.*method)();
                return {};
            }};
}

} // namespace

const automation::MemberTable<KovaMSP>& KovaMSP::Members() {
    static const automation::MemberTable<KovaMSP> table = {
        Command("connectProject", &KovaMSP::connectProject),
        Command("SaveBaseline", &KovaMSP::SaveBaseline),
        Command("disconnectProject", &KovaMSP::disconnectProject),
        Command("ConnectionDetails", &KovaMSP::ConnectionDetails),
        Unhandled("RemoveCustomDocumentProperties", &KovaMSP::RemoveCustomDocumentProperties),
        Unhandled("KovaProjectOpen", &KovaMSP::KovaProjectOpen),
        Command("TransferStandardCE", &KovaMSP::TransferStandardCE),
        Command("SynchronizeMasterData", &KovaMSP::SynchronizeMasterData),
        Unhandled("OrbelAbout", &KovaMSP::OrbelAbout),
        Command("BudgetLineDetails", &KovaMSP::BudgetLineDetails),
        Command("ConvertAssignmentsToTask", &KovaMSP::ConvertAssignmentsToTask),
        Command("SynchronizeBudgetSchedule", &KovaMSP::SynchronizeBudgetSchedule),
        Command("InsertChargeElement", &KovaMSP::InsertChargeElement),
        Command("ModifyChargeElementDetails", &KovaMSP::ModifyChargeElementDetails),
        Command("DeleteChargeElement", &KovaMSP::DeleteChargeElement),
    };
    return table;
}

void KovaMSP::RemoveCustomDocumentProperties() {
    if (!MSProjectApplication) return automation::Err().Raise(automation::errors::ObjectNotSet);
    msp::Project plan = MSProjectApplication->ActiveProject();
    if (automation::Err().Number != 0) return;
    msp::CustomDocumentProperties properties = plan.CustomDocumentProperties();
    for (const DocumentPropertyDefinition& definition : IntegrationDocumentProperties()) {
        msp::DocumentProperty property = properties.Item(definition.name);
        if (automation::Err().Number != 0) return;
        property.Delete();
        if (automation::Err().Number != 0) return;
    }
}

void KovaMSP::KovaProjectOpen() {
    // A plan may be activated while a command runs (the command adds or opens one); that command keeps
    // its own attachment.
    std::shared_ptr<msp::Application> running = MSProjectApplication;
    if (AttachMSProject()) UpdateCommandBarState();
    MSProjectApplication = running;
}

void KovaMSP::EnsureDocumentProperties() {
    automation::Err().Clear();
    if (!MSProjectApplication) return automation::Err().Raise(automation::errors::ObjectNotSet);
    msp::CustomDocumentProperties properties =
        MSProjectApplication->ActiveProject().CustomDocumentProperties();
    for (const DocumentPropertyDefinition& definition : IntegrationDocumentProperties()) {
        properties.Add(definition.name, false, definition.type, definition.initial);
        automation::Err().Clear();
    }
}

void KovaMSP::OrbelAbout() {
    frmAbout& about = DefaultInstance<frmAbout>();
    about.Load();
    about.Show(vbModal);
}

void RegisterKovaMSP(const std::string& serverPath) {
    platform::os::RegisterServerClass({kKovaMSPProgId, kKovaMSPClassId, kKovaMSPInterfaceId,
                                       [] { return automation::MakeObject<KovaMSP>(); }, serverPath},
                                      false);
}

void UnregisterKovaMSP() {
    platform::os::UnregisterServerClass(kKovaMSPProgId);
}

} // namespace Grantry
