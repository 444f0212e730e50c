#include "integration/core/StandardCECommand.h"

#include "dataobjects/KovaConnection.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

namespace automation = platform::automation;
namespace os = platform::os;
using automation::Err;
using namespace platform::forms;

std::function<void(const std::string& company)> TransferStandardCEFile;

std::string GetStandardCELogPath(int32_t company) {
    return GetApplicationPath() + "/Data/" + std::to_string(company) + ".log";
}

namespace {

void SetStatus(const std::string& text) {
    frmIntegrationStatus& status = DefaultInstance<frmIntegrationStatus>();
    status.lblStatus.Caption = text;
    status.lblStatus.Refresh();
    Err().Clear();
}

// The plan's company; the connection's when the plan has no readable company property.
int32_t CompanyNumber() {
    Err().Clear();
    int32_t company = 0;
    automation::Variant value =
        MSProjectApplication->ActiveProject().CustomDocumentProperties().Item("KovaCompany").Value();
    if (Err().Number == 0)
        company = automation::CLng(automation::Variant(KovaDataObjects::Trim(automation::CStr(value))));
    if (Err().Number != 0) {
        Err().Clear();
        company = 0;
        if (CurrentConnection) {
            CurrentConnection->getConnectorProperties(CurrentConnection->Connector);
            company = CurrentConnection->CompanyNumber;
        }
    }
    Err().Clear();
    return company;
}

} // namespace

void KovaMSP::TransferStandardCE() {
    AttachMSProject();
    if (!MSProjectApplication) return ReleaseCommandObjects();
    if (!OpenKovaConnection()) return ReleaseCommandObjects();
    if (!CheckKovaRelease()) return ReleaseCommandObjects();
    if (!RequireOpenPlan()) return ReleaseCommandObjects();

    frmIntegrationStatus& status = DefaultInstance<frmIntegrationStatus>();
    status.Show(vbModeless);
    SetStatus(kRetrievingCompanyListLabel);
    status.Hide();
    Err().Clear();

    const int32_t company = CompanyNumber();
    const std::string logPath = GetStandardCELogPath(company);
    Err().Clear();
    if (!os::OpenFile(os::LogFileNumber, logPath, os::FileMode::Output)) Err().Clear();
    PrintLog(kStandardCELogHeader);

    status.Show(vbModeless);
    Err().Clear();
    SetStatus(kRetrievingStandardCELabel + std::to_string(company));

    if (TransferStandardCEFile) TransferStandardCEFile(std::to_string(company));
    Err().Clear();

    os::CloseFile(os::LogFileNumber);
    Err().Clear();
    OfferLogView(logPath);
    UnloadForm<frmIntegrationStatus>();
    Err().Clear();
    ReleaseCommandObjects();
}

} // namespace Grantry
