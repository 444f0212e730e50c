#include "integration/core/IntegrationFunctions.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "dataobjects/ClassRegistration.h"
#include "dataobjects/KovaConnection.h"
#include "dataobjects/KovaProjectData.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/Language.h"
#include "integration/core/ObsElementRecord.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/FileSystem.h"
#include "platform/os/RandomFile.h"
#include "platform/os/Registry.h"
#include "platform/os/ServerRegistration.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

namespace automation = platform::automation;
namespace msp = platform::msproject;
namespace os = platform::os;
using automation::Err;
using automation::Variant;
using namespace platform::forms;

namespace {

constexpr char CRLF[] = "\r\n";

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

size_t FindNoCase(const std::string& text, const std::string& part, size_t from) {
    if (from > text.size()) return std::string::npos;
    auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), part.begin(),
                          part.end(), [](char x, char y) {
                              return std::tolower(static_cast<unsigned char>(x)) ==
                                     std::tolower(static_cast<unsigned char>(y));
                          });
    return it == text.end() ? std::string::npos : static_cast<size_t>(it - text.begin());
}

// The running planning program of the command; a call without one fails as a call on Nothing does.
msp::Application* App() {
    if (!MSProjectApplication) Err().Raise(automation::errors::ObjectNotSet);
    return MSProjectApplication.get();
}

msp::Project ActivePlan() {
    msp::Application* app = App();
    return app ? app->ActiveProject() : msp::Project();
}

msp::CustomDocumentProperties Properties() {
    msp::Application* app = App();
    if (!app) return {};
    msp::Project plan = app->ActiveProject();
    if (Err().Number != 0) return {};
    return plan.CustomDocumentProperties();
}

// Reads a property's value; false (the error state cleared) when it cannot be read.
bool ReadProperty(const char* name, Variant& value) {
    Err().Clear();
    Variant read = Properties().Item(name).Value();
    if (Err().Number != 0) {
        Err().Clear();
        return false;
    }
    value = std::move(read);
    return true;
}

// Converts as the receiving variable's type does; false (cleared) when it cannot.
bool Convert(const Variant& value, int32_t& out) {
    int32_t v = automation::CLng(value);
    if (Err().Number != 0) return Err().Clear(), false;
    out = v;
    return true;
}
bool Convert(const Variant& value, std::string& out) {
    std::string v = automation::CStr(value);
    if (Err().Number != 0) return Err().Clear(), false;
    out = std::move(v);
    return true;
}
bool Convert(const Variant& value, Date& out) {
    Date v = automation::CDate(value);
    if (Err().Number != 0) return Err().Clear(), false;
    out = v;
    return true;
}
bool Convert(const Variant& value, bool& out) {
    bool v = automation::CBool(value);
    if (Err().Number != 0) return Err().Clear(), false;
    out = v;
    return true;
}

template <class T> void ReadInto(const char* name, T& target) {
    Variant value;
    if (ReadProperty(name, value)) Convert(value, target);
}

// Sets an existing property; a write that fails is skipped.
void WriteProperty(const char* name, const Variant& value) {
    Err().Clear();
    msp::DocumentProperty property = Properties().Item(name);
    if (Err().Number == 0) property.SetValue(value);
    Err().Clear();
}

// A log line; a log that is not open is no reason to stop.
void LogLine(const std::string& text) {
    if (!os::PrintLine(os::LogFileNumber, text)) Err().Clear();
}

// The folder the program was started from: the folder of the program file registered for the
// command class, else the folder of the running executable.
std::string StartFolder() {
    std::string server = os::RegisteredServerPath(kKovaMSPProgId);
    if (!server.empty()) return std::filesystem::path(server).parent_path().string();
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

// A side file of the active plan: beside a stored plan, or in the plan's own folder under the
// application folder for a plan held on a server.
std::string SideFilePath(const char* extension) {
    Err().Clear();
    msp::Project plan = ActivePlan();
    if (Err().Number != 0) return {};
    std::string name = plan.Name();
    std::string folder = plan.Path();
    if (Err().Number != 0) return {};
    if (!folder.empty() && folder[0] == '<')
        return GetApplicationPath() + "/" + name + "/" + name + extension;
    std::string base = name;
    if (base.size() >= 4 && base.compare(base.size() - 4, 4, ".mpp") == 0) base.resize(base.size() - 4);
    return folder + "/" + base + extension;
}

std::string PlanName() {
    Err().Clear();
    msp::Project plan = ActivePlan();
    if (Err().Number != 0) return {};
    return plan.Name();
}

bool ReadOption(const char* name, bool initial) {
    auto read = [name](bool& value) {
        Variant v;
        return ReadProperty(name, v) && Convert(v, value);
    };
    Err().Clear();
    bool value = false;
    if (read(value)) return value;
    Properties().Add(name, false, kPropertyYesNo, initial);
    Err().Clear();
    if (read(value)) return value;
    return false;
}

} // namespace

// ---- the program's start -------------------------------------------------------------------------

bool IsAutomationStart(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments)
        if (EqualNoCase(argument, kAutomationStartFlag) || EqualNoCase(argument, "/Embedding")) return true;
    return false;
}

void Main(const std::vector<std::string>& arguments) {
    if (IsAutomationStart(arguments)) return;
    MsgBox(kStandAloneMessage, vbCritical, kMessageTitle);
}

// ---- the planning program ------------------------------------------------------------------------

bool AttachMSProject() {
    Err().Clear();
    MSProjectApplication = automation::CreateObject(msp::kApplicationProgID).As<msp::Application>();
    if (MSProjectApplication) return true;
    if (Err().Number == 0) Err().Raise(automation::errors::CantCreateObject);
    return false;
}

void ReleaseCommandObjects() {
    CurrentConnection.reset();
    CurrentProjectData.reset();
    MSProjectApplication.reset();
}

// ---- ERP connection checks -----------------------------------------------------------------------

bool OpenKovaConnection() {
    Err().Clear();
    automation::Object created = automation::CreateObject(KovaDataObjects::ProgIdOf("KovaConnection"));
    CurrentConnection = created.As<KovaDataObjects::KovaConnection>();
    if (!CurrentConnection && Err().Number == 0) Err().Raise(automation::errors::CantCreateObject);
    if (Err().Number == 0) {
        BOIConnector = CurrentConnection->Connector;
        return true;
    }
    std::string text;
    switch (Err().Number) {
    case 777:
        text = std::string("The Default Backend Component is not maintained in the ") +
               " Kova Meridane Adapter Configuration." + CRLF + "Please Maintain a " +
               " Default Backend Component to work with the Integration.";
        break;
    case 888:
        text = std::string("The Default Backend Component maintained in the ") +
               "Kova Meridane Adapter Configuration, " + CRLF + "is not started in the Backend Server." +
               CRLF + CRLF + "Please start the Component in the Backend Server " +
               "to work with the Integration.";
        break;
    default: text = Err().Description;
    }
    // The box keeps its words; the backend's own reason goes to the plan's log, where it can be read
    // afterwards.
    if (Err().Number == 888 && CurrentConnection && !CurrentConnection->StartFailure.empty()) {
        const automation::ErrObject before = Err();
        const std::string log = GetLogFilePath();
        const int16_t number = os::FreeFile();
        if (!log.empty() && os::OpenFile(number, log, os::FileMode::Append)) {
            os::PrintLine(number, "The Default Backend Component did not answer: " + CurrentConnection->StartFailure);
            os::CloseFile(number);
        }
        Err() = before;
    }
    MsgBox(text, vbCritical, kConnectionTitle);
    BOIConnector = "";
    Err().Clear();
    return false;
}

bool CheckKovaRelease() {
    std::string release;
    if (CurrentConnection) {
        CurrentConnection->getReleaseId();
        release = Trim(CurrentConnection->KovaRelease);
    } else {
        Err().Raise(automation::errors::ObjectNotSet);
    }
    if (release == kSupportedKovaRelease) return true;
    MsgBox(std::string("KovaProject-MS Project Integration Version ") +
               "does not match with Kova Release version. ",
           vbCritical, kMessageTitle);
    // No data call may go on with a release it does not know.
    BOIConnector = "";
    return false;
}

bool CheckProjectCompany() {
    Variant property;
    std::string planCompany;
    bool readable = ReadProperty("KovaCompany", property) && Convert(property, planCompany);

    if (!CheckKovaRelease()) return false;

    int32_t connectionCompany = 0;
    Err().Clear();
    CurrentConnection->getConnectorProperties(CurrentConnection->Connector);
    connectionCompany = CurrentConnection->CompanyNumber;
    Err().Clear();

    // A plan that names no company number is not taken for one of this company.
    Variant planNumber(planCompany);
    if (readable && !Trim(planCompany).empty() && planNumber.IsNumeric()) {
        double number = automation::CDbl(planNumber);
        if (Err().Number == 0 && number == static_cast<double>(connectionCompany)) {
            BOIConnector = Trim(CurrentConnection->Connector);
            return true;
        }
        Err().Clear();
    }
    MsgBox(std::string("Cannnot continue with the Process") + CRLF +
               "You are trying to connect with Company Number : " + std::to_string(connectionCompany) + CRLF +
               CRLF + "The active MsP Project is connected to Company Number : " + planCompany + CRLF +
               "Please ensure your Default Backend Component " + " belongs to the correct Company Number" +
               "to continue with the process",
           vbCritical, kProgramTitle);
    BOIConnector = "";
    return false;
}

std::string GetApplicationPath() {
    if (!ApplicationPathCache.empty()) return ApplicationPathCache;

    std::string value;
    os::HKEY key = 0;
    if (os::RegOpenKey(os::HKEY_LOCAL_MACHINE, kApplicationPathKey, &key) == os::ERROR_SUCCESS) {
        char buffer[2048];
        uint32_t length = sizeof buffer;
        // A stale error of the caller must not hide the value, so only the result code decides.
        if (os::RegQueryValueEx(key, "Path", nullptr, buffer, &length) == os::ERROR_SUCCESS)
            value.assign(buffer, strnlen(buffer, length));
        os::RegCloseKey(key);
    }
    if (value.empty()) value = StartFolder();

    ApplicationPathCache = value;
    return ApplicationPathCache;
}

// ---- the plan's document properties --------------------------------------------------------------

const std::array<DocumentPropertyDefinition, 39>& IntegrationDocumentProperties() {
    using automation::Date;
    static const std::array<DocumentPropertyDefinition, 39> properties = {{
        {"KovaCompany", kPropertyNumber, int32_t(0)},
        {"KovaProject", kPropertyText, ""},
        {"KovaProjectDescription", kPropertyText, ""},
        {"KovaProjectBudgetCombination", kPropertyNumber, int32_t(0)},
        {"OBSCode", kPropertyText, ""},
        {"KovaProjectStartDate", kPropertyDate, Date::Zero()},
        {"KovaProjectFinishDate", kPropertyDate, Date::Zero()},
        {"KovaProjectPlan", kPropertyText, ""},
        {"KovaConnectionNode", kPropertyText, ""},
        {"KovaTransferChargeStructure", kPropertyYesNo, false},
        {"KovaScheduleBase", kPropertyNumber, int32_t(1)},
        {"KovaTransferEquipment", kPropertyYesNo, false},
        {"KovaTransferEmployee", kPropertyYesNo, false},
        {"KovaTransferTradegroup", kPropertyYesNo, false},
        {"KovaTransferItem", kPropertyYesNo, false},
        {"KovaTransferLabor", kPropertyYesNo, false},
        {"KovaTransferSubContracting", kPropertyYesNo, false},
        {"KovaTransferSundry", kPropertyYesNo, false},
        {"KovaTransferStandardChargeElement", kPropertyYesNo, false},
        // A number whose first value is the Yes/No value false.
        {"OwnershipChBSAndBudgQty", kPropertyNumber, false},
        {"SendActualDates", kPropertyYesNo, false},
        {"KovaMatBudgLnAsSubTask", kPropertyYesNo, false},
        {"KovaLabBudgLnAsSubTask", kPropertyYesNo, false},
        {"KovaEqpBudgLnAsSubTask", kPropertyYesNo, false},
        {"KovaSubBudgLnAsSubTask", kPropertyYesNo, false},
        {"KovaSunBudgLnAsSubTask", kPropertyYesNo, false},
        {"KovaBaseline", kPropertyNumber, int32_t(0)},
        {"KovaAvailabilityType", kPropertyText, ""},
        {"DeleteKovaBudgetLine", kPropertyYesNo, false},
        {"DeleteKovaMSPTask", kPropertyYesNo, false},
        {"DeleteMSPCETask", kPropertyYesNo, false},
        {"SortTasksOnCECode", kPropertyYesNo, true},
        {"MilestoneAsSubtask", kPropertyYesNo, false},
        {"StandaloneMilestoneOnTop", kPropertyYesNo, true},
        {"KovaTransferProjectEquipment", kPropertyYesNo, false},
        {"KovaTransferProjectItem", kPropertyYesNo, false},
        {"KovaTransferProjectLabor", kPropertyYesNo, false},
        {"KovaTransferProjectSubContracting", kPropertyYesNo, false},
        {"KovaTransferProjectSundry", kPropertyYesNo, false},
    }};
    return properties;
}

void ReadConnectionProperties(int32_t& company, std::string& project, std::string& plan,
                              std::string& description, int32_t& budgetCombination, Date& startDate,
                              Date& finishDate, int32_t& scheduleBase, std::string& connectionNode,
                              bool& deleteBudgetLine, bool& deleteTask, bool& materialAsSubTask,
                              bool& laborAsSubTask, bool& equipmentAsSubTask, bool& subcontractingAsSubTask,
                              bool& sundryAsSubTask, int32_t& ownership, std::string& availabilityType,
                              bool& transferChargeStructure, int32_t& baseline) {
    ReadInto("KovaCompany", company);
    ReadInto("KovaProject", project);
    ReadInto("KovaProjectPlan", plan);
    ReadInto("KovaProjectDescription", description);
    ReadInto("KovaProjectBudgetCombination", budgetCombination);
    ReadInto("KovaProjectStartDate", startDate);
    ReadInto("KovaProjectFinishDate", finishDate);
    ReadInto("KovaScheduleBase", scheduleBase);
    ReadInto("KovaConnectionNode", connectionNode);
    ReadInto("DeleteKovaBudgetline", deleteBudgetLine);
    ReadInto("DeleteKovaMSPTask", deleteTask);
    ReadInto("KovaMatBudgLnAsSubTask", materialAsSubTask);
    ReadInto("KovaLabBudgLnAsSubTask", laborAsSubTask);
    ReadInto("KovaEqpBudgLnAsSubTask", equipmentAsSubTask);
    ReadInto("KovaSubBudgLnAsSubTask", subcontractingAsSubTask);
    ReadInto("KovaSunBudgLnAsSubTask", sundryAsSubTask);
    ReadInto("KovaAvailabilityType", availabilityType);
    ReadInto("OwnershipChBSAndBudgQty", ownership);
    ReadInto("KovaBaseline", baseline);
    ReadInto("KovaTransferChargeStructure", transferChargeStructure);
    Err().Clear();
}

bool ReadDocumentProperty(const std::string& name, Variant& value) {
    return ReadProperty(name.c_str(), value);
}

void WriteDocumentProperty(const std::string& name, const Variant& value) {
    WriteProperty(name.c_str(), value);
}

void LoadProjectDataFromProperties() {
    if (!CurrentProjectData) return;
    KovaDataObjects::KovaProjectData& data = *CurrentProjectData;
    ReadInto("KovaProject", data.ProjectCode);
    ReadInto("KovaProjectDescription", data.Description);
    ReadInto("KovaProjectBudgetCombination", data.BudgetCombination);
    ReadInto("KovaProjectStartDate", data.StartDate);
    ReadInto("KovaProjectFinishDate", data.FinishDate);
    ReadInto("KovaProjectPlan", data.Plan);
    ReadInto("KovaConnectionNode", data.ConnectedCE);
    Err().Clear();
}

void WriteConnectionProperties(bool& transferEquipment, bool& transferTradegroup, bool& transferEmployee,
                               bool& transferItem, bool& transferLabor, bool& transferSubContracting,
                               bool& transferSundry, bool& materialAsSubTask, bool& laborAsSubTask,
                               bool& equipmentAsSubTask, bool& subcontractingAsSubTask, bool& sundryAsSubTask,
                               int32_t& scheduleBase, std::string& availabilityType,
                               bool& transferChargeStructure, bool& transferStandardChargeElement,
                               Variant& /*unused1*/, Variant& /*unused2*/, Variant& /*unused3*/,
                               bool& sortTasksOnCECode, bool& transferProjectEquipment,
                               bool& transferProjectItem, bool& transferProjectLabor,
                               bool& transferProjectSubContracting, bool& transferProjectSundry) {
    if (CurrentConnection) WriteProperty("KovaCompany", CurrentConnection->CompanyNumber);
    if (const KovaDataObjects::KovaProjectData* data = CurrentProjectData.get()) {
        WriteProperty("KovaProject", data->ProjectCode);
        WriteProperty("KovaProjectDescription", data->Description);
        WriteProperty("KovaProjectBudgetCombination", data->BudgetCombination);
        WriteProperty("OBScode", data->OBSCode);
        WriteProperty("KovaProjectPlan", data->Plan);
        WriteProperty("KovaConnectionNode", data->ConnectedCE);
        WriteProperty("OwnershipChBSAndBudgQty", data->Ownership);
        WriteProperty("KovaProjectStartDate", data->StartDate);
        WriteProperty("KovaProjectFinishDate", data->FinishDate);
    }
    WriteProperty("KovaTransferEquipment", transferEquipment);
    WriteProperty("KovaTransferTradegroup", transferTradegroup);
    WriteProperty("KovaTransferEmployee", transferEmployee);
    WriteProperty("KovaTransferItem", transferItem);
    WriteProperty("KovaTransferLabor", transferLabor);
    WriteProperty("KovaTransferSubcontracting", transferSubContracting);
    WriteProperty("KovaTransferSundry", transferSundry);
    WriteProperty("KovaTransferStandardChargeElement", transferStandardChargeElement);
    WriteProperty("KovaMatBudgLnAsSubTask", materialAsSubTask);
    WriteProperty("KovaLabBudgLnAsSubTask", laborAsSubTask);
    WriteProperty("KovaEqpBudgLnAsSubTask", equipmentAsSubTask);
    WriteProperty("KovaSubBudgLnAsSubTask", subcontractingAsSubTask);
    WriteProperty("KovaSunBudgLnAsSubTask", sundryAsSubTask);
    WriteProperty("KovaScheduleBase", scheduleBase);
    WriteProperty("KovaAvailabilityType", availabilityType);
    WriteProperty("KovaTransferChargeStructure", transferChargeStructure);
    WriteProperty("SortTasksOnCECode", sortTasksOnCECode);
    WriteProperty("KovaTransferProjectEquipment", transferProjectEquipment);
    WriteProperty("KovaTransferProjectItem", transferProjectItem);
    WriteProperty("KovaTransferProjectLabor", transferProjectLabor);
    WriteProperty("KovaTransferProjectSubcontracting", transferProjectSubContracting);
    WriteProperty("KovaTransferProjectSundry", transferProjectSundry);
    Err().Clear();
}

bool GetSortTasksOnCECode() {
    return ReadOption("SortTasksOnCECode", true);
}
bool GetMilestoneAsSubtask() {
    return ReadOption("MilestoneAsSubtask", false);
}
bool GetStandaloneMilestoneOnTop() {
    return ReadOption("StandaloneMilestoneOnTop", true);
}

// ---- the log and its error texts -----------------------------------------------------------------

std::string FormatErrorForLog(const std::string& text) {
    size_t bar = text.find('|');
    return "   " + (bar == std::string::npos ? text : text.substr(bar + 1));
}

void LogChBSUpdateErrors(const std::string& text) {
    static const std::string codeStart = "###CEs###", codeEnd = "###CEe###";
    static const std::string descriptionStart = "$$$CEDs$$$", descriptionEnd = "$$$CEDe$$$";
    if (FindNoCase(text, codeStart, 0) == std::string::npos) {
        LogLine(FormatErrorForLog(text));
        return;
    }
    LogLine("Updating the Charge Breakdown Structure in Kova Failed for these Charge Elements.");
    LogLine("Probably because costs were found for these Charge Elements/Activities;");
    size_t codeAt = 0, descriptionAt = 0;
    for (;;) {
        // The listing ends where a marker pair is incomplete.
        size_t start = FindNoCase(text, codeStart, codeAt);
        if (start == std::string::npos) break;
        size_t end = FindNoCase(text, codeEnd, start + codeStart.size());
        size_t dStart = FindNoCase(text, descriptionStart, descriptionAt);
        if (end == std::string::npos || dStart == std::string::npos) break;
        size_t dEnd = FindNoCase(text, descriptionEnd, dStart + descriptionStart.size());
        if (dEnd == std::string::npos) break;
        std::string code = text.substr(start + codeStart.size(), end - start - codeStart.size());
        std::string description =
            text.substr(dStart + descriptionStart.size(), dEnd - dStart - descriptionStart.size());
        LogLine("   " + code + ", " + description);
        codeAt = start + 1;
        descriptionAt = dStart + 1;
    }
}

// ---- side files and folders ----------------------------------------------------------------------

bool IsServerProject() {
    Err().Clear();
    msp::Project plan = ActivePlan();
    std::string folder = plan.Path();
    return Err().Number == 0 && !folder.empty() && folder[0] == '<';
}

std::string GetServerProjectFolder() {
    std::string name = PlanName();
    if (Err().Number != 0) return {};
    return GetApplicationPath() + "/" + name + "/";
}

std::string GetLogFilePath() {
    return SideFilePath(".log");
}
std::string GetLcoFilePath() {
    return SideFilePath(".lco");
}
std::string GetBceFilePath() {
    return SideFilePath(".bce");
}
std::string GetObsFilePath() {
    return SideFilePath(".obs");
}

bool IsTextRecord(const std::string& bytes) {
    return std::none_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    });
}

std::string DamagedSideFileText(const std::string& path, int32_t number) {
    return "The file " + path + " is damaged: record " + std::to_string(number) +
           " is not text. Its damaged records are left out; synchronize the master data to write it again.";
}

void CreateServerProjectFolder() {
    std::string name = PlanName();
    if (Err().Number != 0) return;
    os::MkDir(GetApplicationPath() + "/" + name);
}

void DeleteProjectSideFiles() {
    std::string name = PlanName();
    if (Err().Number != 0) return;
    int32_t answer = MsgBox("Do you want to delete the .lco, .bce and .log files for project " + name + "?" +
                                CRLF + "The Project file itself will not be deleted.",
                            vbInformation | vbYesNo, "Confirm Deletion");
    if (answer != vbYes) return;
    std::string folder = GetServerProjectFolder();
    for (const char* extension : {".lco", ".bce", ".log"})
        os::DeleteFile(folder + name + extension);
    os::RmDir(GetApplicationPath() + "/" + name);
}

void WriteObsElementsFile() {
    Err().Clear();
    if (!CurrentProjectData || CurrentProjectData->OBSCode.empty()) return;
    std::string obs = CurrentProjectData->OBSCode;

    std::string path = GetObsFilePath();
    Err().Clear();
    os::Kill(path);
    Err().Clear();
    os::RandomFile file;
    file.Open(path, ObsElementRecord::kLength, os::RandomAccess::Write);
    Err().Clear();

    std::string project = CurrentProjectData->ProjectCode;
    std::optional<std::vector<automation::Object>> elements;
    if (CurrentConnection)
        elements = CurrentConnection->getOBSElements(project, obs);
    else
        Err().Raise(automation::errors::ObjectNotSet);
    if (Err().Number != 0 || !elements) {
        file.Close();
        return Err().Clear();
    }

    // The record keeps what the element before left in a field that cannot be read.
    os::FixedRecord record(ObsElementRecord::kLength);
    size_t count = std::min<size_t>(elements->size(), INT16_MAX);
    for (size_t i = 0; i < count; ++i) {
        const automation::Object& element = (*elements)[i];
        std::string code =
            automation::CStr(automation::Call(element, "organizationBreakdownStructureElementID"));
        if (Err().Number == 0) record.SetText(ObsElementRecord::Code, code);
        Err().Clear();
        std::string description =
            automation::CStr(automation::Call(element, "organizationBreakdownStructureElementDescription"));
        if (Err().Number == 0) record.SetText(ObsElementRecord::Description, description);
        Err().Clear();
        file.Put(record);
        Err().Clear();
    }
    file.Close();
}

// ---- menu and toolbar state ----------------------------------------------------------------------

void UpdateCommandBarState() {
    Variant project;
    bool connected = false;
    if (ReadProperty("KovaProject", project)) {
        std::string code;
        connected = Convert(project, code) && !code.empty();
    }

    Err().Clear();
    msp::Application* app = App();
    if (!app) return Err().Clear();
    msp::CommandBarControl menu;
    for (msp::CommandBarControl control : app->CommandBars("File").Controls()) {
        if (control.Caption() == "&KovaProject") {
            menu = control;
            break;
        }
    }
    Err().Clear();
    if (!menu) return;

    msp::CommandBarControls items = menu.Controls();
    msp::CommandBar toolbar = app->CommandBars("KovaProjectToolBar");
    Err().Clear();
    auto setItem = [&](int32_t position, bool enabled) {
        items.Item(position).SetEnabled(enabled);
        Err().Clear();
    };
    auto setButton = [&](int32_t position, bool enabled) {
        toolbar.Controls().Item(position).SetEnabled(enabled);
        Err().Clear();
    };
    if (connected) {
        for (int32_t i = 1; i <= 6; ++i)
            setItem(i, true);
        setButton(5, true);
        setButton(6, true);
        int32_t ownership = 0;
        ReadInto("OwnershipChBSAndBudgQty", ownership);
        bool ownedHere = ownership == 2 || ownership == 4;
        for (int32_t i = 1; i <= 4; ++i)
            setButton(i, ownedHere);
    } else {
        setItem(1, true);
        for (int32_t i = 2; i <= 6; ++i)
            setItem(i, false);
        for (int32_t i = 1; i <= 4; ++i)
            setButton(i, true);
        setButton(5, false);
        setButton(6, false);
    }
    Err().Clear();
}

// ---- plan lookups and time stamps ----------------------------------------------------------------

std::string DateToTimeStamp(Date& value) {
    automation::DateParts p = automation::SplitDate(value);
    auto two = [](int n) {
        std::string text = std::to_string(n);
        return text.size() < 2 ? "0" + text : text;
    };
    return std::to_string(p.year) + two(p.month) + two(p.day) + two(p.hour) + two(p.minute) + two(p.second);
}

Date TimeStampToDate(std::string stamp) {
    auto field = [&stamp](size_t at, size_t width) {
        int value = 0;
        for (size_t i = at; i < at + width && i < stamp.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(stamp[i]))) break;
            value = value * 10 + (stamp[i] - '0');
        }
        return value;
    };
    int year = field(0, 4), month = field(4, 2), day = field(6, 2);
    int hour = field(8, 2), minute = field(10, 2), second = field(12, 2);
    // Dates before the year 100 or after 9999 cannot be made.
    if (year < 100) return Date::Zero();
    Date result = Date::FromParts(year, month, day, hour, minute, second);
    if (result.Year() > 9999 || result.Year() < 100) return Date::Zero();
    return result;
}

void LocateResource(std::string& resourceText, std::string& code) {
    Err().Clear();
    msp::Application* app = App();
    if (!app) return Err().Clear();
    app->ViewApply("Kova Proj Resources", true);
    // The search switches the program's own prompts off; they come back on afterwards, so that the
    // user is still asked, say, to save a changed plan when closing it.
    bool alertsWereShown = app->DisplayAlerts();
    app->Alerts(false);
    Err().Clear();
    bool found = app->Find("Name", GetFilterTestText(9), Variant(resourceText));
    if (Err().Number == 0 && found) {
        std::string text = app->ActiveCell().Resource().Text(2);
        if (Err().Number == 0) code = Trim(text);
    }
    Err().Clear();
    app->Alerts(alertsWereShown);
    app->ViewApply("Kova Proj Gantt", true);
    Err().Clear();
}

void CountCodedDescendants(msp::Task& task, int32_t& count) {
    for (msp::Task child : task.OutlineChildren()) {
        if (!child.Text(1).empty()) ++count;
        CountCodedDescendants(child, count);
    }
}

void CollectCodedDescendants(msp::Task& task, std::vector<msp::Task>& tasks, int32_t& count) {
    for (msp::Task child : task.OutlineChildren()) {
        if (child.Text(1).empty()) continue;
        ++count;
        if (count >= 0 && static_cast<size_t>(count) < tasks.size())
            tasks[static_cast<size_t>(count)] = child;
        else
            Err().Raise(automation::errors::SubscriptOutOfRange);
        CollectCodedDescendants(child, tasks, count);
    }
}

bool AnyTaskHasAssignments(std::vector<msp::Task>& tasks, int32_t& highest) {
    for (int32_t i = 0; i <= highest; ++i) {
        if (i >= static_cast<int32_t>(tasks.size())) {
            Err().Raise(automation::errors::SubscriptOutOfRange);
            return false;
        }
        int32_t assignments = tasks[static_cast<size_t>(i)].Assignments().Count();
        if (Err().Number != 0) return false;
        if (assignments > 0) return true;
    }
    return false;
}

} // namespace Grantry
