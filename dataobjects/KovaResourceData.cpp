#include "dataobjects/KovaResourceData.h"

#include "dataobjects/Main.h"
#include "dataobjects/Proc.h"
#include "platform/automation/ClassRegistry.h"

namespace KovaDataObjects {

using namespace platform::automation;

struct KovaResourceData::ListMembers {
    const char* list;
    const char* reference;
    const char* size;
    const char* element;
};

struct KovaResourceData::KindOfResource {
    int32_t kind;
    const char* standardManager;
    const char* standardFailure;
    ListMembers standard;
    ListMembers project; // list == nullptr: the kind has no project-specific list
};

namespace {

constexpr const char* kStandardCostObjectManager = "StandardCostObject.StandardCostObjectManager";
constexpr const char* kProjectCostObjectManager = "ProjectCostObject.ProjectCostObjectManager";
constexpr const char* kEmployeesManager = "Employees.EmployeesManager";
constexpr const char* kTradeGroupManager = "TradeGroup.TradeGroupManager";

constexpr const char* kNoStandardManager = "StandardCostObject Manager Object could not be created";
constexpr const char* kNoProjectManager = "ProjectCostObject Manager Object could not be created";
constexpr const char* kNoEmployeesManager = "Employees Manager Object could not be created";
constexpr const char* kNoTradeGroupManager = "TradeGroup Manager Object could not be created";

constexpr int16_t kPageSize = 500;
// Far more pages than any list of the ERP fills.
constexpr int kMaxRequestsPerList = 32767;
constexpr const char* kListNotEnded = " could not be read to its end";

using KindOfResource = KovaResourceData::KindOfResource;

const KindOfResource kMaterial{1,
                               kStandardCostObjectManager,
                               kNoStandardManager,
                               {"listMaterialCostObject", "getMaterialCostObjectListReference",
                                "sizeMaterialCostObject", "getMaterialCostObjectAt"},
                               {"listProjectMaterialCostObject", "getProjectMaterialCostObjectListReference",
                                "sizeProjectMaterialCostObject", "getProjectMaterialCostObjectAt"}};
const KindOfResource kLabor{
    2,
    kStandardCostObjectManager,
    kNoStandardManager,
    {"listLaborCostObject", "getLaborCostObjectListReference", "sizeLaborCostObject", "getLaborCostObjectAt"},
    {"listProjectLaborCostObject", "getProjectLaborCostObjectListReference", "sizeProjectLaborCostObject",
     "getProjectLaborCostObjectAt"}};
const KindOfResource kSubcontracting{
    3,
    kStandardCostObjectManager,
    kNoStandardManager,
    {"listSubcontractingCostObject", "getSubcontractingCostObjectListReference",
     "sizeSubcontractingCostObject", "getSubcontractingCostObjectAt"},
    {"listProjectSubcontractingCostObject", "getProjectSubcontractingCostObjectListReference",
     "sizeProjectSubcontractingCostObject", "getProjectSubcontractingCostObjectAt"}};
const KindOfResource kSundry{4,
                             kStandardCostObjectManager,
                             kNoStandardManager,
                             {"listSundryCostObject", "getSundryCostObjectListReference",
                              "sizeSundryCostObject", "getSundryCostObjectAt"},
                             {"listProjectSundryCostObject", "getProjectSundryCostObjectListReference",
                              "sizeProjectSundryCostObject", "getProjectSundryCostObjectAt"}};
const KindOfResource kEquipment{5,
                                kStandardCostObjectManager,
                                kNoStandardManager,
                                {"listEquipmentCostObject", "getEquipmentCostObjectListReference",
                                 "sizeEquipmentCostObject", "getEquipmentCostObjectAt"},
                                {"listProjectEquipmentCostObject",
                                 "getProjectEquipmentCostObjectListReference",
                                 "sizeProjectEquipmentCostObject", "getProjectEquipmentCostObjectAt"}};
const KindOfResource kEmployee{
    6,
    kEmployeesManager,
    kNoEmployeesManager,
    {"listForProjectScheduling", "getEmployeeWrapperObject", "sizeEmployees", "getEmployeesAt"},
    {nullptr, nullptr, nullptr, nullptr}};
const KindOfResource kTradeGroup{
    7,
    kTradeGroupManager,
    kNoTradeGroupManager,
    {"listTradeGroup", "getTradeGroupListReference", "sizeTradeGroup", "getTradeGroupAt"},
    {nullptr, nullptr, nullptr, nullptr}};

// The element getters of kinds 1 to 5, and the type code of each kind.
struct CostObjectGetters {
    const char* code;
    const char* description;
    const char* unit;
    const char* rate; // nullptr: the kind has no rate
};
const CostObjectGetters kCostObjectGetters[] = {
    {"getItem", "getItemDescription", "getItemUnit", "getItemCostPrice"},
    {"getLabor", "getLaborDescription", "getLaborUnit", nullptr},
    {"getSubcontracting", "getSubcontractingDescription", "getSubcontractingUnit",
     "getSubcontractingCostPrice"},
    {"getSundryCost", "getSundryCostDescription", "getSundryCostUnit", "getSundryCostPrice"},
    {"getEquipment", "getEquipmentDescription", "getEquipmentUnit", "getEquipmentCostRate"},
};
const char* const kTypeCodes[] = {"MAT", "LAB", "SUB", "SUN", "EQP", "EMP", "TRG"};

} // namespace

KovaResourceData::KovaResourceData() {
    CodeSeparator = ".";
}

OptionalCollection<KovaResource>& KovaResourceData::CollectionOf(int32_t kind) {
    switch (kind) {
    case 1: return Materials;
    case 2: return Labors;
    case 3: return Subcontracts;
    case 4: return Sundries;
    case 5: return Equipments;
    case 6: return Employees;
    default: return TradeGroups;
    }
}

void KovaResourceData::TransferMaterialCostObjects(std::string& /*BOIConnector*/, std::string KovaProject,
                                                   std::string /*KovaAvailabilityType*/, bool Transferitem,
                                                   bool TransferProjectitem) {
    Transfer(kMaterial, Materials, KovaProject, Transferitem, TransferProjectitem);
}

void KovaResourceData::TransferLaborCostObjects(std::string& /*BOIConnector*/, std::string KovaProject,
                                                bool TransferLabor, bool TransferProjectLabor) {
    Transfer(kLabor, Labors, KovaProject, TransferLabor, TransferProjectLabor);
}

void KovaResourceData::TransferSubContractCostObjects(std::string& /*BOIConnector*/, std::string KovaProject,
                                                      std::string /*KovaAvailabilityType*/,
                                                      bool TransferSubcontracting,
                                                      bool TransferProjectSubcontracting) {
    Transfer(kSubcontracting, Subcontracts, KovaProject, TransferSubcontracting,
             TransferProjectSubcontracting);
}

void KovaResourceData::TransferSundryCostObjects(std::string& /*BOIConnector*/, std::string KovaProject,
                                                 std::string /*KovaAvailabilityType*/,
                                                 bool TransferSundryCost, bool TransferProjectSundryCost) {
    Transfer(kSundry, Sundries, KovaProject, TransferSundryCost, TransferProjectSundryCost);
}

void KovaResourceData::TransferEquipments(std::string& /*BOIConnector*/, std::string KovaProject,
                                          std::string /*KovaAvailabilityType*/, bool TransferEquipment,
                                          bool TransferProjectEquipment) {
    Transfer(kEquipment, Equipments, KovaProject, TransferEquipment, TransferProjectEquipment);
}

void KovaResourceData::TransferEmployees(std::string& /*BOIConnector*/,
                                         std::string /*KovaAvailabilityType*/) {
    Transfer(kEmployee, Employees, "", true, false);
}

void KovaResourceData::TransferTradeGroups(std::string& /*BOIConnector*/, std::string /*KovaProject*/,
                                           std::string /*KovaAvailabilityType*/) {
    Transfer(kTradeGroup, TradeGroups, "", true, false);
}

void KovaResourceData::Transfer(const KindOfResource& kind, OptionalCollection<KovaResource>& target,
                                const std::string& project, bool general, bool projectSpecific) {
    Err().Clear();
    target = Collection<KovaResource>();
    RefusedRecords.clear();
    if (general) ReadSection(kind, kind.standardManager, kind.standardFailure, kind.standard, nullptr);
    // The error state is not cleared between the sections: an error left by the general one (its
    // manager, or the last record's reads) makes the project section report and skip too.
    if (projectSpecific && kind.project.list)
        ReadSection(kind, kProjectCostObjectManager, kNoProjectManager, kind.project, &project);
    if (target && target->empty()) target.reset();
}

void KovaResourceData::ReadSection(const KindOfResource& kind, const char* progId, const char* failureText,
                                   const ListMembers& members, const std::string* project) {
    CurrentManager = CreateObject(progId);
    if (Err().Number != 0) {
        RaiseAbove(failureText);
    } else if (CurrentManager) {
        Object manager = CurrentManager;
        ListComplete = false;
        CallId = 0;
        SetComplete = "N";
        ElementIndex = 0;
        Variant projectArg = project ? *project : std::string();
        int requests = 0;
        while (!ListComplete) {
            // A list whose flag never reads "Y" is still left, with an error for the caller.
            if (requests++ == kMaxRequestsPerList) {
                Err().Raise(100, kLibrarySource, std::string(members.list) + kListNotEnded);
                break;
            }
            const bool restarts = requests > 1 && CallId == 0;
            Variant callId = CallId;
            Variant flag = SetComplete;
            // A failing request ends the listing with the records read so far.
            Object set;
            bool requested = Assign(set, [&] {
                if (project)
                    return ObjectOf(Call(manager, members.list,
                                         {ByRef(projectArg), ByVal(""), ByVal("zzzz"), ByVal(kPageSize),
                                          ByRef(callId), ByRef(flag)}));
                return ObjectOf(
                    Call(manager, members.list,
                         {ByVal(""), ByVal("zzzz"), ByVal(kPageSize), ByRef(callId), ByRef(flag)}));
            });
            if (!requested || set.IsNothing()) break;
            // The call id and the flag travel by reference: the middleware's answers are kept, and the
            // set's getters, when they can be read, have the last word.
            Assign(CallId, [&] { return CLng(callId); });
            Assign(SetComplete, [&] { return CStr(flag); });
            CurrentList = set;
            Assign(CallId, [&] { return CLng(Call(set, "getCallId")); });
            Assign(SetComplete, [&] { return Trim(CStr(Call(set, "getSetComplete"))); });
            Object page = ObjectOf(Call(set, members.reference));
            int32_t size = 0;
            Assign(size, [&] { return CLng(Call(page, members.size)); });
            for (ElementIndex = 0; ElementIndex < size; ++ElementIndex) {
                Variant index = ElementIndex;
                Object element = ObjectOf(Call(page, members.element, {ByRef(index)}));
                AddResource(kind.kind, element, project != nullptr);
            }
            ListComplete = SetComplete == "Y";
            // A request that started the list over and again gave no call id to go on with: the flag
            // will not end this list.
            if (!ListComplete && restarts && CallId == 0) {
                Err().Raise(100, kLibrarySource, std::string(members.list) + kListNotEnded);
                break;
            }
        }
        Call(manager, "releaseAll");
        manager.Release();
    }
    CurrentList.Release();
    CurrentManager.Release();
}

void KovaResourceData::AddResource(int32_t ResourceKind, Object& ListElement, bool IsProjectSpecific) {
    Err().Clear();
    auto record = std::make_shared<KovaResource>();
    if (ResourceKind >= 1 && ResourceKind <= 7) {
        const Object& e = ListElement;
        const std::string type = kTypeCodes[ResourceKind - 1];
        const std::string& s = CodeSeparator;
        auto scrubbed = [&](const char* getter) {
            return Trim(ReplaceSpecialCharacters(CStr(Call(e, getter))));
        };
        auto trimmed = [&](const char* getter) { return Trim(CStr(Call(e, getter))); };
        KovaResource& r = *record;
        // A number too large for its field costs this record only: it is left out and named, and its
        // overflow does not stay behind to fail the rest of the kind.
        std::string overflow;
        auto number = [&](auto& field, const char* getter, auto convert, const char* what) {
            if (!Assign(field, [&] { return convert(Call(e, getter)); }) &&
                Err().Number == platform::automation::errors::Overflow) {
                overflow += (overflow.empty() ? "" : ", ") + std::string(what);
                Err().Clear();
            }
        };
        auto lng = [](const Variant& v) { return CLng(v); };
        auto sng = [](const Variant& v) { return CSng(v); };
        if (ResourceKind <= 5) {
            const CostObjectGetters& g = kCostObjectGetters[ResourceKind - 1];
            Assign(r.Code, [&] { return scrubbed(g.code); });
            Assign(r.Description, [&] { return scrubbed(g.description); });
            if (ResourceKind == 5) {
                Assign(r.Calendar, [&] { return trimmed("getEquipmentCalendar"); });
                number(r.AvailableUnits, "getNoOfAvailableUnits", lng, "the available units");
            }
            Assign(r.Unit, [&] { return trimmed(g.unit); });
            if (g.rate) number(r.StandardRate, g.rate, sng, ResourceKind == 5 ? "the cost rate" : "the cost price");
            Assign(r.Project, [&] { return IsProjectSpecific ? trimmed("getProjectID") : std::string(); });
            if (IsProjectSpecific) {
                r.ResourceNameInMsP = type + s + r.Project + s + r.Code + " " + r.Description;
                r.ResourceCodeInMsP = type + s + r.Project + s + r.Code;
            } else {
                r.ResourceNameInMsP = type + s + r.Code + " " + r.Description;
                r.ResourceCodeInMsP = type + s + r.Code;
            }
        } else if (ResourceKind == 6) {
            Assign(r.Code, [&] { return scrubbed("getEmployee"); });
            Assign(r.Description, [&] { return scrubbed("getEmployeeName"); });
            Assign(r.Calendar, [&] { return trimmed("getCalendarCode"); });
            Assign(r.ResourceNameInMsP,
                   [&] { return type + s + trimmed("getDepartment") + s + r.Code + " " + r.Description; });
            r.ResourceCodeInMsP = type + s + r.Code;
            Assign(r.Email, [&] { return trimmed("getEMail"); });
        } else {
            Assign(r.Code, [&] { return scrubbed("getTradeGroupID"); });
            Assign(r.Description, [&] { return scrubbed("getTradeGroupDescription"); });
            Assign(r.Calendar, [&] { return trimmed("getTradeGroupCalendar"); });
            number(r.StandardRate, "getCostRate", sng, "the cost rate");
            number(r.AvailableUnits, "getNumberOfEmployees", lng, "the number of employees");
            r.ResourceNameInMsP = type + s + r.Code + " " + r.Description;
            r.ResourceCodeInMsP = type + s + r.Code;
        }
        if (!overflow.empty()) {
            RefusedRecords.push_back(r.ResourceNameInMsP + " (" + overflow + " out of range)");
        } else {
            OptionalCollection<KovaResource>& target = CollectionOf(ResourceKind);
            if (!target) target = Collection<KovaResource>();
            target->push_back(record);
        }
    }
    record.reset();
    ListElement.Release();
}

const MemberTable<KovaResourceData>& KovaResourceData::Members() {
    using K = KovaResourceData;
    static const MemberTable<K> table = {
        {"TransferMaterialCostObjects",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             k.TransferMaterialCostObjects(connector, a.String(1, ""), a.String(2, ""), a.Boolean(3, false),
                                           a.Boolean(4, false));
             return Variant();
         }},
        {"TransferLaborCostObjects",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             k.TransferLaborCostObjects(connector, a.String(1, ""), a.Boolean(2, false), a.Boolean(3, false));
             return Variant();
         }},
        {"TransferSubContractCostObjects",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             k.TransferSubContractCostObjects(connector, a.String(1, ""), a.String(2, ""),
                                              a.Boolean(3, false), a.Boolean(4, false));
             return Variant();
         }},
        {"TransferSundryCostObjects",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             k.TransferSundryCostObjects(connector, a.String(1, ""), a.String(2, ""), a.Boolean(3, false),
                                         a.Boolean(4, false));
             return Variant();
         }},
        {"TransferEquipments",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             k.TransferEquipments(connector, a.String(1, ""), a.String(2, ""), a.Boolean(3, false),
                                  a.Boolean(4, false));
             return Variant();
         }},
        {"TransferEmployees",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             k.TransferEmployees(connector, a.String(1, ""));
             return Variant();
         }},
        {"TransferTradeGroups",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             k.TransferTradeGroups(connector, a.String(1, ""), a.String(2, ""));
             return Variant();
         }},
    };
    return table;
}

} // namespace KovaDataObjects
