#include "dataobjects/KovaProjectData.h"

#include <cmath>

#include "dataobjects/KovaBudget.h"
#include "dataobjects/Main.h"
#include "dataobjects/Proc.h"
#include "platform/automation/ClassRegistry.h"

namespace KovaDataObjects {

using namespace platform::automation;

namespace {

constexpr const char* kProjectManager = "Project.ProjectManager";
constexpr const char* kPlanManager = "Plan.PlanManager";
constexpr const char* kBaselineManager = "Baseline.BaselineManager";
constexpr const char* kChargeElementManager = "ChargeElement.ChargeElementManager";
constexpr const char* kChargeElementInput = "ChargeElement.ChargeElementInput";
constexpr const char* kChargeElement = "ChargeElement.ChargeElement";
constexpr const char* kLinkManager = "ChargeElement.ExternalScheduleLinkManager";
constexpr const char* kLink = "ChargeElement.ExternalScheduleLink";

constexpr const char* kNoProjectManager = "ProjectManager Object could not be created";
constexpr const char* kNoPlanManager = "PlanManager Object could not be created";
constexpr const char* kNoPlanList = "PlanList could not be created";
constexpr const char* kNoTopCE = "Error Retrieving the Top CE for the Plan";
constexpr const char* kNoBaselineManager = "baseLineManager Object could not be created";
constexpr const char* kNoBaselineList = "BaselineList could not be created";
constexpr const char* kNoBaseline = "Baseline could not be created";
constexpr const char* kNoChargeElementManager = "ChargeElement Manager Object could not be created";
constexpr const char* kStructureNotUpdated = "UpdateChargeBreakdownStructure failed.";
constexpr const char* kScheduleNotUpdated = "The ChargeBreakdownstructure Schedule Could not be updated";
constexpr const char* kNoLinkManager = "ExternalScheduleLinkManager Object could not be created";
constexpr const char* kNotConnected = "Connection Could not be established for the ESP Project.";
constexpr const char* kOwnershipNotUpdated = "The Ownership Information could not be updated in Kova.";
constexpr const char* kLinkNotRemoved = "The ExternalScheduleLink could not be Removed for the ESP Project.";
// The one place that reports under this spelling of the source.
constexpr const char* kLinkReadSource = "Kova Data Acess Objects";
constexpr const char* kCrLf = "\r\n";

constexpr int16_t kMilestoneType = 5;
constexpr int16_t kStructurePageSize = 500;
constexpr int16_t kGeneratedPageSize = 1000;
// A call on a missing object.
constexpr int32_t kObjectNotSet = 91;

// Creates the method's manager as CurrentManager. A failure is raised with the method's text and the
// method ends: every failing number counts, a negative one (a COM status) too.
bool OpenManager(const char* progId, const char* failure) {
    CurrentManager = CreateObject(progId);
    if (Err().Number != 0) {
        RaiseAbove(failure);
        CurrentManager.Release();
        return false;
    }
    return true;
}

void EndMethod() {
    CurrentList.Release();
    CurrentManager.Release();
}

Date FromJavaDate(const Variant& javaDate) {
    return TimeStampToDate(JavaDateToTimeStamp(ObjectOf(javaDate)));
}

// The date of a date object that FromJavaDate reads as no date for its year (1900 or 1901); zero for
// any other, and for no object.
Date NullLookingDate(const Variant& javaDate) {
    Object date = ObjectOf(javaDate);
    if (date.IsNothing()) return NoDate;
    const int32_t year = CLng(Call(date, "getyear"));
    if (year < 0 || year > 1) return NoDate;
    return Date::FromParts(1900 + year, CLng(Call(date, "getmonth")) + 1, CLng(Call(date, "getDate")),
                           CLng(Call(date, "gethours")), CLng(Call(date, "getminutes")),
                           CLng(Call(date, "getseconds")));
}

Arg JavaDateOf(Date date) {
    return ByVal(Variant(TimeStampToJavaDate(DateToTimeStamp(date))));
}

int32_t DayNumber(Date date) {
    return static_cast<int32_t>(std::floor(date.Serial()));
}

std::shared_ptr<KovaCE> ChargeElementFrom(const Object& element) {
    auto ce = std::make_shared<KovaCE>();
    ce->CECode = Trim(CStr(Call(element, "getChargeElementID")));
    ce->CEDescription = Trim(CStr(Call(element, "getChargeElementDescription")));
    ce->OBSelement = Trim(CStr(Call(element, "getOBSElementID")));
    ce->Connectable = CLng(Call(element, "getConnectable")) == 1;
    ce->CEType = static_cast<int16_t>(CLng(Call(element, "getChargeElementType")));
    ce->StartDate = FromJavaDate(Call(element, "getScheduledStartDate"));
    ce->FinishDate = FromJavaDate(Call(element, "getScheduledFinishDate"));
    ce->CEParent = Trim(CStr(Call(element, "getParentChargeElement")));
    if (ce->CEType == kMilestoneType) {
        std::string linked = Trim(CStr(Call(element, "getLinkedChargeElement")));
        if (linked.empty())
            ce->StandAlone = true;
        else
            ce->CEParent = linked;
        ce->Milestone = true;
        ce->Duration = 0;
    } else {
        ce->Duration = DayNumber(ce->FinishDate) - DayNumber(ce->StartDate);
    }
    return ce;
}

// Reads the call id and completion mark of a page; false when either cannot be read, as the next
// request could then not be told from this one.
bool ReadPagingState(const Object& set, Variant& callId, Variant& flag) {
    bool ok = Assign(callId, [&] { return Variant(CLng(Call(set, "getCallId"))); });
    return Assign(flag, [&] { return Variant(Trim(CStr(Call(set, "getSetComplete")))); }) && ok;
}

bool EndsInMpp(const std::string& name) {
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".mpp") == 0;
}

} // namespace

KovaProjectData::~KovaProjectData() {
    ChargeElements.reset();
}

void KovaProjectData::getProjectInfo(std::string& BOIConnector) {
    Err().Clear();
    if (!OpenManager(kProjectManager, kNoProjectManager)) return;
    // Its own reference: the nested getTopCEForPlan replaces CurrentManager.
    Object manager = CurrentManager;
    Object project = ObjectOf(Call(manager, "Show", {ByVal(ProjectCode)}));
    if (Err().Number == 0) {
        Assign(Description, [&] { return Trim(CStr(Call(project, "getProjectDescription"))); });
        Assign(StartDate, [&] { return FromJavaDate(Call(project, "getStartTime")); });
        Assign(StartDateReadAsNone, [&] { return NullLookingDate(Call(project, "getStartTime")); });
        Assign(FinishDate, [&] { return FromJavaDate(Call(project, "getFinishTime")); });
        Assign(Plan, [&] { return Trim(CStr(Call(project, "getLeadingPlanID"))); });
        Assign(OBSCode, [&] { return Trim(CStr(Call(project, "projectOBSID"))); });
        if (Plan.empty()) {
            TopCE = "";
        } else {
            ErrObject before = Err();
            TopCE = Trim(getTopCEForPlan(BOIConnector));
            if (Err().Number == 0) Err() = before;
        }
        int32_t pb = 0, pc = 0;
        if (Assign(pb, [&] { return CLng(Call(project, "getBudgetTypeForProjectBudget")); }) &&
            Assign(pc, [&] { return CLng(Call(project, "getBudgetTypeForProjectControl")); })) {
            if (pb == 1 && pc == 1) BudgetCombination = 1;
            if ((pb == 1 && pc == 2) || (pb == 2 && pc == 1)) BudgetCombination = 2;
            if (pb == 2 && pc == 2) BudgetCombination = 3;
        }
    }
    // A project that cannot be shown leaves the header as it was and the middleware's failure in the
    // error state.
    Call(manager, "releaseAll");
    EndMethod();
}

OptionalCollection<KovaData> KovaProjectData::getProjectPlans(std::string& /*BOIConnector*/) {
    Err().Clear();
    OptionalCollection<KovaData> result;
    Collection<KovaData> plans;
    if (!OpenManager(kPlanManager, kNoPlanManager)) return result;
    CurrentList = ObjectOf(Call(CurrentManager, "List", {ByVal(ProjectCode), ByVal(""), ByVal("zzzz")}));
    if (Err().Number != 0) {
        RaiseAbove(kNoPlanList);
    } else {
        for (const Object& element : ReadEnumeration(CurrentList)) {
            auto plan = std::make_shared<KovaData>();
            plan->Code = Trim(CStr(Call(element, "getPlanID")));
            plan->Description = Trim(CStr(Call(element, "getPlanDescription")));
            plans.push_back(plan);
        }
    }
    Call(CurrentManager, "releaseAll");
    if (!plans.empty()) result = std::move(plans);
    EndMethod();
    return result;
}

std::shared_ptr<KovaBudget> KovaProjectData::getKovaBudget(std::string& BOIConnector,
                                                           bool& BudgetlinesTransferred,
                                                           std::string MsProjectName) {
    return MakeKovaBudget(ProjectCode, Plan, ConnectedCE, BOIConnector, BudgetlinesTransferred,
                          MsProjectName);
}

std::string KovaProjectData::getTopCEForPlan(std::string /*BOIConnector*/) {
    Err().Clear();
    std::string result;
    if (!OpenManager(kPlanManager, kNoPlanManager)) return result;
    Object plan = ObjectOf(Call(CurrentManager, "Show", {ByVal(ProjectCode), ByVal(Plan)}));
    if (Err().Number != 0)
        RaiseAbove(kNoTopCE);
    else
        Assign(result, [&] { return Trim(CStr(Call(plan, "getTopChargeElementID"))); });
    Call(CurrentManager, "releaseAll");
    EndMethod();
    return result;
}

bool KovaProjectData::checkPlanIsLeading(std::string& /*BOIConnector*/) {
    Err().Clear();
    bool result = false;
    if (!OpenManager(kProjectManager, kNoProjectManager)) return result;
    Object project = ObjectOf(Call(CurrentManager, "Show", {ByVal(ProjectCode)}));
    // A project that cannot be shown (or read) answers False, its failure left in the error state.
    std::string leading;
    if (Err().Number == 0 && Assign(leading, [&] { return Trim(CStr(Call(project, "getLeadingPlanID"))); }))
        result = leading == Plan;
    Call(CurrentManager, "releaseAll");
    EndMethod();
    return result;
}

OptionalCollection<KovaData> KovaProjectData::getKovaBaselines(std::string& /*BOIConnector*/,
                                                               int32_t /*BaselineStatus*/) {
    Err().Clear();
    OptionalCollection<KovaData> result;
    Collection<KovaData> baselines;
    if (!OpenManager(kBaselineManager, kNoBaselineManager)) return result;
    CurrentList =
        ObjectOf(Call(CurrentManager, "List",
                      {ByVal(ProjectCode), ByVal(Variant(int16_t(0))), ByVal(Variant(int16_t(999)))}));
    if (Err().Number != 0) {
        RaiseAbove(kNoBaselineList);
    } else {
        for (const Object& element : ReadEnumeration(CurrentList)) {
            auto baseline = std::make_shared<KovaData>();
            baseline->Number = CLng(Call(element, "getBaselineID"));
            baseline->Description = Trim(CStr(Call(element, "getBaselineDescription")));
            baseline->Code = CStr(Call(element, "getBaselineStatus"));
            baselines.push_back(baseline);
        }
    }
    Call(CurrentManager, "releaseAll");
    if (!baselines.empty()) result = std::move(baselines);
    EndMethod();
    return result;
}

void KovaProjectData::saveKovaBaseline(std::string& /*BOIConnector*/, int32_t Process, int32_t /*Derive*/,
                                       int32_t DeriveFromBaseline, int32_t BaselineToBeUpdated,
                                       std::string BaselineDescription, int32_t& BaselineNumber) {
    Err().Clear();
    if (!OpenManager(kBaselineManager, kNoBaselineManager)) return;
    Variant project = ProjectCode;
    if (Process == 1) {
        Variant from = DeriveFromBaseline, description = BaselineDescription;
        Object made = ObjectOf(
            Call(CurrentManager, "createBaseline", {ByRef(project), ByRef(from), ByRef(description)}));
        if (Err().Number == 0)
            Assign(BaselineNumber, [&] { return CLng(Call(made, "getNewBaselineID")); });
        else
            RaiseAbove(kNoBaseline + std::string(kCrLf) + ExtractErrorMessage(Err().Description));
    } else if (Process == 2) {
        Variant id = BaselineToBeUpdated;
        Call(CurrentManager, "changeBaseline", {ByRef(project), ByRef(id)});
        // Every failing number counts, a negative one too. The caller records the number it gets back,
        // so a changed baseline answers its own number (it would otherwise record a stale one).
        if (Err().Number != 0)
            RaiseAbove(kNoBaseline + std::string(kCrLf) + ExtractErrorMessage(Err().Description));
        else
            BaselineNumber = BaselineToBeUpdated;
    }
    // No releaseAll here.
    EndMethod();
}

void KovaProjectData::getChBSFromKova(std::string& /*BOIConnector*/, std::string KovaConnectionNode) {
    Err().Clear();
    Collection<KovaCE> elements;
    ChargeElements = Collection<KovaCE>();
    if (OpenManager(kChargeElementManager, kNoChargeElementManager)) {
        Variant project = ProjectCode, plan = Plan, node = KovaConnectionNode;
        Variant callId = int32_t(0), flag = std::string("N");
        for (;;) {
            // A request that fails, or answers no page set, ends the read with what the earlier pages
            // gave; the failure stays in the error state.
            Object set;
            if (!Assign(set, [&] {
                    return ObjectOf(Call(CurrentManager, "getChargeBreakdownStructure",
                                         {ByRef(project), ByRef(plan), ByRef(node),
                                          ByVal(Variant(kStructurePageSize)), ByRef(callId), ByRef(flag)}));
                }))
                break;
            if (set.IsNothing()) break;
            CurrentList = set;
            bool canGoOn = ReadPagingState(set, callId, flag);
            Object page = ObjectOf(Call(set, "getChargeElementReference"));
            if (page) {
                int32_t size = CLng(Call(page, "sizeChargeElement"));
                for (int32_t i = 0; i < size; ++i) {
                    Variant index = i;
                    Object element;
                    if (Assign(element,
                               [&] { return ObjectOf(Call(page, "getChargeElementAt", {ByRef(index)})); }))
                        elements.push_back(ChargeElementFrom(element));
                }
            }
            if (!canGoOn || CStr(flag) == "Y") break;
        }
        Call(CurrentManager, "releaseAll");
    }
    if (elements.empty())
        ChargeElements.reset();
    else
        ChargeElements = std::move(elements);
    EndMethod();
}

OptionalCollection<KovaData> KovaProjectData::updateChBSInKova(std::string& /*BOIConnector*/,
                                                               std::string KovaConnectionNode,
                                                               Collection<KovaCE>& colChBS) {
    Err().Clear();
    if (!OpenManager(kChargeElementManager, kNoChargeElementManager)) return std::nullopt;
    Object input = CreateObject(kChargeElementInput);
    for (const auto& ce : colChBS) {
        Object element = CreateObject(kChargeElement);
        Call(element, "setProjectID", {ByVal(Trim(ProjectCode))});
        Call(element, "setPlanID", {ByVal(Trim(Plan))});
        Call(element, "setLinkedChargeElement", {ByVal(Trim(KovaConnectionNode))});
        Call(element, "setSequenceNumber", {ByVal(Variant(ce->SeqNumber))});
        Call(element, "setChargeElementID", {ByVal(Trim(ce->CECode))});
        Call(element, "setChargeElementDescription", {ByVal(Trim(ce->CEDescription))});
        Call(element, "setChargeElementType", {ByVal(Variant(int32_t(ce->CEType)))});
        Call(element, ce->CEType == kMilestoneType ? "setLinkedChargeElement" : "setParentChargeElement",
             {ByVal(Trim(ce->CEParent))});
        Call(element, "setDerivedFromStandardChargeElement", {ByVal(Trim(ce->SCECode))});
        Call(element, "setOBSElementID", {ByVal(Trim(ce->OBSelement))});
        Call(element, "setScheduledStartDate", {JavaDateOf(ce->StartDate)});
        Call(element, "setScheduledFinishDate", {JavaDateOf(ce->FinishDate)});
        Call(element, "setEarnedValueMethodAsMilestone", {ByVal(ce->EVasMileStone)});
        if (!Trim(ce->SCECode).empty())
            Call(element, "setDerivedFromStandardChargeElement", {ByVal(ce->SCECode)});
        Variant added = element;
        Call(input, "addChargeElement", {ByRef(added)});
    }

    Collection<KovaData> generated;
    Variant project = ProjectCode, plan = Plan, node = KovaConnectionNode, inputArg = input;
    Variant callId = int32_t(0), flag = std::string("N");
    for (;;) {
        // The test after the request sees every failure since the method began: a setter or an
        // earlier page that failed stops the exchange as the request itself would.
        Object set = ObjectOf(Call(CurrentManager, "updateChargeBreakdownStructure",
                                   {ByRef(project), ByRef(plan), ByRef(node), ByRef(inputArg),
                                    ByVal(Variant(kGeneratedPageSize)), ByRef(callId), ByRef(flag)}));
        if (Err().Number != 0) {
            Err().Raise(Err().Number + 100, kLibrarySource,
                        ExtractErrorMessage(Err().Description) + kCrLf + kStructureNotUpdated);
            EndMethod();
            return std::nullopt;
        }
        // No page set, or one whose paging state cannot be read, ends the exchange with what came.
        if (set.IsNothing()) break;
        CurrentList = set;
        bool canGoOn = ReadPagingState(set, callId, flag);
        Object page = ObjectOf(Call(set, "getGeneratedChargeElementReference"));
        if (page) {
            int32_t size = CLng(Call(page, "sizeChargeElement"));
            for (int32_t i = 0; i < size; ++i) {
                Variant index = i;
                Object element = ObjectOf(Call(page, "getChargeElementAt", {ByRef(index)}));
                auto code = std::make_shared<KovaData>();
                code->Number = CLng(Call(element, "getSequenceNumber"));
                code->Code = Trim(CStr(Call(element, "getChargeElementID")));
                generated.push_back(code);
            }
        }
        if (!canGoOn || CStr(flag) == "Y") break;
    }
    Call(CurrentManager, "releaseAll");
    EndMethod();
    return generated;
}

bool KovaProjectData::updateScheduleInfo(std::string& /*BOIConnector*/, Collection<KovaCE>& colCEList) {
    Err().Clear();
    bool result = false;
    if (!OpenManager(kChargeElementManager, kNoChargeElementManager)) return result;
    Object input = CreateObject(kChargeElementInput);
    for (const auto& ce : colCEList) {
        Object element = CreateObject(kChargeElement);
        Call(element, "setChargeElementID", {ByVal(Trim(ce->CECode))});
        Call(element, "setScheduledStartDate", {JavaDateOf(ce->StartDate)});
        Call(element, "setScheduledFinishDate", {JavaDateOf(ce->FinishDate)});
        Call(element, "setActualStartDate", {JavaDateOf(ce->ActualStart)});
        Call(element, "setActualFinishDate", {JavaDateOf(ce->ActualFinish)});
        Call(element, "setPercentageComplete", {ByVal(ce->PercentComplete)});
        Variant added = element;
        Call(input, "addChargeElement", {ByRef(added)});
    }
    Variant project = ProjectCode, plan = Plan, node = ConnectedCE, inputArg = input;
    // As in the structure exchange, a failing setter is seen here as a failed update.
    Object answer = ObjectOf(
        Call(CurrentManager, "updateSchedule", {ByRef(project), ByRef(plan), ByRef(node), ByRef(inputArg)}));
    if (Err().Number != 0) {
        Err().Raise(Err().Number + 100, kLibrarySource,
                    ExtractErrorMessage(Err().Description) + kCrLf + kScheduleNotUpdated);
    } else {
        // An answer that cannot be read counts as refused.
        int32_t value = -1;
        if (Assign(value, [&] { return CLng(Call(answer, "getReturnValueofMethod")); }) && value == 0)
            result = true;
        else
            Err().Raise(800, kLibrarySource, kScheduleNotUpdated);
    }
    // No releaseAll here.
    EndMethod();
    return result;
}

void KovaProjectData::updateConnectionInfoInKova(std::string& /*BOIConnector*/, std::string CurrentProject,
                                                 std::string CurrentPlan, std::string CurrentConnectionNode,
                                                 int32_t CurrentOwnershipforKova, std::string ESPProject) {
    Err().Clear();
    if (!OpenManager(kLinkManager, kNoLinkManager)) return;
    Object link = CreateObject(kLink);
    Call(link, "setProjectID", {ByVal(Trim(CurrentProject))});
    Call(link, "setPlanID", {ByVal(Trim(CurrentPlan))});
    Call(link, "setChargeElementID", {ByVal(Trim(CurrentConnectionNode))});
    Call(link, "setOwnership", {ByVal(Variant(CurrentOwnershipforKova))});
    Call(link, "setExternalSchedule", {ByVal(Trim(ESPProject))});
    Call(CurrentManager, "Add", {ByVal(Variant(link))});
    Call(CurrentManager, "synchronize");
    if (Err().Number == 0) {
        Variant project = CurrentProject, plan = CurrentPlan, node = CurrentConnectionNode;
        CurrentList = ObjectOf(
            Call(CurrentManager, "showExternalScheduleLink", {ByRef(project), ByRef(plan), ByRef(node)}));
        Assign(ProjectCode, [&] { return Trim(CStr(Call(CurrentList, "getProjectID"))); });
        Assign(Plan, [&] { return Trim(CStr(Call(CurrentList, "planID"))); });
        Assign(ConnectedCE, [&] { return Trim(CStr(Call(CurrentList, "getChargeElementID"))); });
        Assign(Ownership, [&] { return CLng(Call(CurrentList, "getOwnership")); });
    } else {
        RaiseAbove(kNotConnected);
    }
    Call(CurrentManager, "releaseAll");
    EndMethod();
}

int32_t KovaProjectData::determineCHBSOwnership(std::string& /*BOIConnector*/) {
    Err().Clear();
    int32_t result = 0;
    if (!OpenManager(kLinkManager, kNoLinkManager)) return result;
    Variant project = ProjectCode, plan = Plan, node = ConnectedCE;
    CurrentList = ObjectOf(
        Call(CurrentManager, "showExternalScheduleLink", {ByRef(project), ByRef(plan), ByRef(node)}));
    if (Err().Number != 0) {
        Err().Raise(Err().Number + 100, kLinkReadSource, ExtractErrorMessage(Err().Description));
    } else if (CurrentList.IsNothing()) {
        Ownership = 0;
    } else {
        eprj = CStr(Call(CurrentList, "getExternalSchedule"));
        std::string recorded = Trim(eprj), ours = Trim(ESProject);
        if (!Projects_are_Equal(recorded, ours)) {
            EndMethod();
            return -1;
        }
        if (Assign(Ownership, [&] { return CLng(Call(CurrentList, "getOwnership")); })) result = Ownership;
    }
    Call(CurrentManager, "releaseAll");
    EndMethod();
    return result;
}

void KovaProjectData::updateCHBSOwnershipInKova(std::string& /*BOIConnector*/, int32_t ownr_to_be_sent) {
    Err().Clear();
    if (!OpenManager(kLinkManager, kNoLinkManager)) return;
    Variant project = ProjectCode, plan = Plan, node = ConnectedCE;
    Object link = ObjectOf(
        Call(CurrentManager, "showExternalScheduleLink", {ByRef(project), ByRef(plan), ByRef(node)}));
    if (Err().Number != 0) {
        // The middleware's failure stays as it is; nothing is changed or released.
        EndMethod();
        return;
    }
    CurrentList = link;
    if (link.IsNothing()) {
        // Nothing to set: reported as the failed update it is, with the number of a call on no object.
        Err().Raise(kObjectNotSet + 100, kLibrarySource, kOwnershipNotUpdated);
    } else {
        Call(link, "setOwnership", {ByVal(Variant(ownr_to_be_sent))});
        Call(CurrentManager, "synchronize");
        if (Err().Number != 0) RaiseAbove(kOwnershipNotUpdated);
    }
    Call(CurrentManager, "releaseAll");
    EndMethod();
}

void KovaProjectData::disconnectKovaProject(std::string& /*BOIConnector*/, std::string ESProject) {
    Err().Clear();
    Valid_Project = true;
    if (!OpenManager(kLinkManager, kNoLinkManager)) return;
    Variant project = ProjectCode, plan = Plan, node = ConnectedCE;
    CurrentList = ObjectOf(
        Call(CurrentManager, "showExternalScheduleLink", {ByRef(project), ByRef(plan), ByRef(node)}));
    if (Err().Number != 0) {
        Err().Raise(Err().Number + 100, kLibrarySource,
                    std::string(kLinkNotRemoved) + kCrLf + ExtractErrorMessage(Err().Description));
    } else if (CurrentList) {
        eprj = CStr(Call(CurrentList, "getExternalSchedule"));
        std::string recorded = Trim(eprj), ours = Trim(ESProject);
        if (Projects_are_Equal(recorded, ours)) {
            Variant link = CurrentList;
            Call(CurrentManager, "Remove", {ByRef(link)});
            Call(CurrentManager, "synchronize");
            Call(CurrentManager, "releaseAll");
        } else {
            // The link belongs to another plan file: it stays.
            Valid_Project = false;
        }
    }
    EndMethod();
}

bool KovaProjectData::Projects_are_Equal(std::string& KovaProject, std::string& MsProject) const {
    if (MsProject == KovaProject) return true;
    if (EndsInMpp(KovaProject) && MsProject + ".mpp" == KovaProject) return true;
    if (EndsInMpp(MsProject)) return MsProject == KovaProject + ".mpp";
    return false;
}

namespace {

MemberTable<KovaProjectData> MakeMembers() {
    using K = KovaProjectData;
    auto text = [](std::string K::*field) {
        return std::pair{[field](K& k, CallArgs&) -> Variant { return k.*field; },
                         [field](K& k, CallArgs& a) -> Variant {
                             k.*field = strict::ToString(a.Value());
                             return Variant();
                         }};
    };
    auto whole = [](int32_t K::*field) {
        return std::pair{[field](K& k, CallArgs&) -> Variant { return k.*field; },
                         [field](K& k, CallArgs& a) -> Variant {
                             k.*field = strict::ToLong(a.Value());
                             return Variant();
                         }};
    };
    auto date = [](Date K::*field) {
        return std::pair{[field](K& k, CallArgs&) -> Variant { return k.*field; },
                         [field](K& k, CallArgs& a) -> Variant {
                             k.*field = strict::ToDate(a.Value());
                             return Variant();
                         }};
    };
    auto eprj = text(&K::eprj), topCE = text(&K::TopCE), connectedCE = text(&K::ConnectedCE),
         plan = text(&K::Plan), obs = text(&K::OBSCode), description = text(&K::Description),
         projectCode = text(&K::ProjectCode), esProject = text(&K::ESProject);
    auto ownership = whole(&K::Ownership), combination = whole(&K::BudgetCombination);
    auto finish = date(&K::FinishDate), start = date(&K::StartDate);
    return MemberTable<K>{
        {"eprj", eprj.first},
        {"eprj", CallKind::PropertyLet, eprj.second},
        {"Valid_Project", [](K& k, CallArgs&) -> Variant { return k.Valid_Project; }},
        {"Valid_Project", CallKind::PropertyLet,
         [](K& k, CallArgs& a) -> Variant {
             k.Valid_Project = strict::ToBoolean(a.Value());
             return Variant();
         }},
        {"GeneratedCE", CallKind::PropertySet,
         [](K& k, CallArgs& a) -> Variant {
             k.GeneratedCE = strict::ToObject(a.Value());
             return Variant();
         }},
        {"GeneratedCE", [](K& k, CallArgs&) -> Variant { return k.GeneratedCE; }},
        {"Ownership", CallKind::PropertyLet, ownership.second},
        {"Ownership", ownership.first},
        {"BudgetCombination", CallKind::PropertyLet, combination.second},
        {"BudgetCombination", combination.first},
        {"TopCE", CallKind::PropertyLet, topCE.second},
        {"TopCE", topCE.first},
        {"ConnectedCE", CallKind::PropertyLet, connectedCE.second},
        {"ConnectedCE", connectedCE.first},
        {"Plan", CallKind::PropertyLet, plan.second},
        {"Plan", plan.first},
        {"OBSCode", obs.first},
        {"OBSCode", CallKind::PropertyLet, obs.second},
        {"FinishDate", CallKind::PropertyLet, finish.second},
        {"FinishDate", finish.first},
        {"StartDate", CallKind::PropertyLet, start.second},
        {"StartDate", start.first},
        {"Description", CallKind::PropertyLet, description.second},
        {"Description", description.first},
        {"ProjectCode", CallKind::PropertyLet, projectCode.second},
        {"ProjectCode", projectCode.first},
        {"ESProject", esProject.first},
        {"ESProject", CallKind::PropertyLet, esProject.second},
        {"getKovaBudget",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0);
             bool transferred = a.Boolean(1);
             Object budget(k.getKovaBudget(connector, transferred, a.String(2)));
             a.Set(0, connector);
             a.Set(1, transferred);
             return Variant(budget);
         }},
        {"getTopCEForPlan", [](K& k, CallArgs& a) -> Variant { return k.getTopCEForPlan(a.String(0, "")); }},
        {"saveKovaBaseline",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             int32_t number = a.Long(6, 0);
             k.saveKovaBaseline(connector, a.Long(1, 0), a.Long(2, 0), a.Long(3, 0), a.Long(4, 0),
                                a.String(5, ""), number);
             if (a.IsByRef(6)) a.Set(6, number);
             return Variant();
         }},
        {"getChBSFromKova",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             k.getChBSFromKova(connector, a.String(1, ""));
             return Variant();
         }},
        {"determineCHBSOwnership",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             return k.determineCHBSOwnership(connector);
         }},
        {"updateCHBSOwnershipInKova",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             k.updateCHBSOwnershipInKova(connector, a.Long(1, 0));
             return Variant();
         }},
        {"checkPlanIsLeading",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             return k.checkPlanIsLeading(connector);
         }},
        {"getProjectInfo",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             k.getProjectInfo(connector);
             return Variant();
         }},
        {"updateConnectionInfoInKova",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             k.updateConnectionInfoInKova(connector, a.String(1, ""), a.String(2, ""), a.String(3, ""),
                                          a.Long(4, 0), a.String(5, ""));
             return Variant();
         }},
        {"disconnectKovaProject",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             k.disconnectKovaProject(connector, a.String(1, ""));
             return Variant();
         }},
        {"Projects_are_Equal",
         [](K& k, CallArgs& a) -> Variant {
             std::string kova = a.String(0, ""), ms = a.String(1, "");
             return k.Projects_are_Equal(kova, ms);
         }},
    };
}

} // namespace

const MemberTable<KovaProjectData>& KovaProjectData::Members() {
    static const MemberTable<KovaProjectData> table = MakeMembers();
    return table;
}

} // namespace KovaDataObjects
