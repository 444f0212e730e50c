#include "integration/core/CommandFrame.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "dataobjects/KovaProjectData.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/Process.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

namespace automation = platform::automation;
namespace msp = platform::msproject;
namespace os = platform::os;
using automation::Err;
using namespace platform::forms;

std::function<void()> ShowConnectDialog;

namespace {

constexpr char kCRLF[] = "\r\n";

// A property of the active plan as text; "" (the error state cleared) when it cannot be read.
std::string PropertyText(const char* name) {
    Err().Clear();
    automation::Variant value =
        MSProjectApplication->ActiveProject().CustomDocumentProperties().Item(name).Value();
    std::string text = Err().Number == 0 ? automation::CStr(value) : std::string();
    Err().Clear();
    return text;
}

// A property of the active plan as a 32-bit integer; 0 (cleared) when it cannot be read as one.
int32_t PropertyNumber(const char* name) {
    Err().Clear();
    automation::Variant value =
        MSProjectApplication->ActiveProject().CustomDocumentProperties().Item(name).Value();
    int32_t number = Err().Number == 0 ? automation::CLng(value) : 0;
    if (Err().Number != 0) number = 0;
    Err().Clear();
    return number;
}

// Whether a save can replace `file`: it is not made read-only, and a file can be made beside it, as the
// save does before it replaces the file.
bool FileCanBeReplaced(const std::string& file) {
    struct stat st;
    if (::stat(file.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (folder.empty()) folder = ".";
    std::string probe = (folder / ".save-probe-XXXXXX").string();
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

bool PlanSaved() {
    Err().Clear();
    bool saved = MSProjectApplication->ActiveProject().Saved();
    if (Err().Number != 0) saved = false;
    Err().Clear();
    return saved;
}

} // namespace

bool HasKovaGanttView() {
    Err().Clear();
    if (!MSProjectApplication) {
        Err().Raise(automation::errors::ObjectNotSet);
        return false;
    }
    msp::Project plan = MSProjectApplication->ActiveProject();
    if (Err().Number != 0) return false;
    std::vector<std::string> views = plan.ViewList();
    if (Err().Number != 0) return false;
    for (const std::string& view : views)
        if (view == kKovaGanttView) return true;
    return false;
}

bool RequireOpenPlan() {
    Err().Clear();
    int32_t open = MSProjectApplication ? MSProjectApplication->Projects().Count() : 0;
    if (Err().Number != 0) open = 0;
    Err().Clear();
    if (open != 0) return true;
    MsgBox(kNoPlanMessage, vbOKOnly + vbExclamation, kMessageTitle);
    return false;
}

bool RequireSavablePlan() {
    Err().Clear();
    if (!MSProjectApplication) return false;
    msp::Project plan = MSProjectApplication->ActiveProject();
    const bool readOnly = plan.ReadOnly();
    const std::string file = plan.FullName();
    Err().Clear();
    std::string why;
    std::error_code ec;
    if (readOnly)
        why = kPlanReadOnlyReason;
    else if (!file.empty() && std::filesystem::is_regular_file(file, ec) && !FileCanBeReplaced(file))
        why = kPlanFileNotWritableReason + file;
    if (why.empty()) return true;
    MsgBox(kPlanNotSavableMessage + why + kPlanNotSavableTail, vbOKOnly + vbCritical, kMessageTitle);
    return false;
}

bool RequireKovaGanttView() {
    bool present = HasKovaGanttView();
    Err().Clear();
    if (!present) {
        MsgBox(kViewMissingMessage, vbOKOnly + vbCritical + vbMsgBoxSetForeground, kViewMissingTitle);
        return false;
    }
    MSProjectApplication->ViewApply(kKovaGanttView, true);
    Err().Clear();
    return true;
}

void OpenCommandLog(const std::string& title) {
    LogFilePath = GetLogFilePath();
    Err().Clear();
    if (!os::OpenFile(os::LogFileNumber, LogFilePath, os::FileMode::Output)) Err().Clear();
    PrintLog(kLogHeaderPrefix + title);
}

void PrintLog(const std::string& text) {
    // A log that is not open is no reason to stop, and writing never changes the error state.
    automation::ErrObject before = Err();
    os::PrintLine(os::LogFileNumber, text);
    Err() = before;
}

bool SavePlanAndLog() {
    Err().Clear();
    if (MSProjectApplication) MSProjectApplication->FileSave();
    Err().Clear();
    const bool saved = MSProjectApplication && PlanSaved();
    PrintLog(saved ? kPlanSavedLine : kPlanNotSavedLine);
    return saved;
}

void CloseCommandLog(const std::string& lead) {
    os::CloseFile(os::LogFileNumber);
    OfferLogView(LogFilePath, lead);
}

namespace {
bool stepFailed = false;
} // namespace

void LogStepFailure(const std::string& text) {
    PrintLog(text);
    stepFailed = true;
}

bool StepFailed() {
    return stepFailed;
}

void ResetStepFailures() {
    stepFailed = false;
}

void OfferLogView(const std::string& logPath, const std::string& lead) {
    const std::string text = lead.empty() ? std::string(kLogOfferMessage) : lead + kCRLF + kCRLF + kLogOfferMessage;
    if (MsgBox(text, vbYesNo + (lead.empty() ? vbQuestion : vbExclamation) + vbMsgBoxSetForeground, kMessageTitle) == vbYes) {
        int32_t task = os::StartLogViewer(logPath);
        if (task != 0) os::AppActivate(task);
    }
    Err().Clear();
}

// ---- the connect command -------------------------------------------------------------------------

void KovaMSP::connectProject() {
    AttachMSProject();
    CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
    if (!MSProjectApplication) return ReleaseCommandObjects();

    if (!OpenKovaConnection()) return ReleaseCommandObjects();
    if (!CheckKovaRelease()) return ReleaseCommandObjects();

    // A new plan comes first: without a plan there are no views to look at, and the user would be
    // told to reinstall instead of getting the plan to connect.
    Err().Clear();
    if (MSProjectApplication->Projects().Count() == 0 && Err().Number == 0)
        MSProjectApplication->Projects().Add(false);
    Err().Clear();

    if (!RequireKovaGanttView()) return ReleaseCommandObjects();

    // A connected plan that lost its company keeps naming none: a company 0 written here would stay
    // in the plan as if it were one.
    Err().Clear();
    MSProjectApplication->ActiveProject().CustomDocumentProperties().Item("KovaCompany");
    const bool hadCompany = Err().Number == 0;
    EnsureDocumentProperties();
    Err().Clear();
    const std::string project = PropertyText("KovaProject");
    const int32_t company = PropertyNumber("KovaCompany");
    if (!project.empty()) {
        if (!hadCompany) {
            MSProjectApplication->ActiveProject().CustomDocumentProperties().Item("KovaCompany").Delete();
            Err().Clear();
        }
        MsgBox(std::string("Connection already exists with the following Kova Project") + kCRLF + kCRLF +
                   "Project Code : " + project + "     " + "Company : " +
                   (hadCompany ? std::to_string(company) : std::string()),
               vbOKOnly + vbCritical, kMessageTitle);
        return ReleaseCommandObjects();
    }

    if (!RequireSavablePlan()) return ReleaseCommandObjects();
    if (!PlanSaved()) {
        if (MsgBox(kSaveFirstMessage, vbOKCancel + vbInformation + vbMsgBoxSetForeground, kMessageTitle) ==
            vbOK)
            MSProjectApplication->FileSave();
        Err().Clear();
        if (!PlanSaved()) return ReleaseCommandObjects();
    }

    if (IsServerProject()) CreateServerProjectFolder();
    Err().Clear();

    OpenCommandLog(kConnectTitle);
    // Only a failure of the connection run itself may mark the run as failed; an existing side-file
    // folder or the like must not.
    Err().Clear();
    if (ShowConnectDialog) ShowConnectDialog();
    if (Err().Number != 0) {
        PrintLog(std::string(kConnectFailedLine) + kCRLF);
    } else {
        const std::string connected = PropertyText("KovaProject");
        if (connected.empty()) {
            PrintLog(kConnectCancelledLine);
        } else {
            PrintLog(kConnectEstablishedLine + connected);
            SavePlanAndLog();
        }
    }
    Err().Clear();
    CloseCommandLog();
    ReleaseCommandObjects();
}

} // namespace Grantry
