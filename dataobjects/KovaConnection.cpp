#include "dataobjects/KovaConnection.h"

#include "dataobjects/Main.h"
#include "platform/automation/ClassRegistry.h"

namespace KovaDataObjects {

using namespace platform::automation;

namespace {

constexpr const char* kPlanningParameterManager = "ProjectPlanningParameter.ProjectPlanningParameterManager";
constexpr const char* kCompany = "GetCompany.GetCompany";
constexpr const char* kAvailabilityTypeManager = "AvailabilityType.AvailabilityTypeManager";
constexpr const char* kStandardChargeElementManager = "StandardChargeElement.StandardChargeElementManager";
constexpr const char* kProjectManager = "Project.ProjectManager";
constexpr const char* kReleaseIdManager = "KovaReleaseId.KovaReleaseIdManager";
constexpr const char* kObsManager = "OrganizationBreakdownStructure.OrganizationBreakdownStructureManager";

constexpr const char* kStartUpSource = "KovaDataObjects";
constexpr const char* kNotMaintained = "BusComponent/Default Backend not maintained.";
constexpr const char* kNotStarted = "BusComponent not started in the Backend Server.";
constexpr const char* kNotMaintainedInAdapter =
    "BusComponent/Default Backend not maintained in the Meridane Adapter.";
constexpr const char* kNoMiddleware = "Connection with the MiddleWare could not be Achieved";
constexpr const char* kNoConnectionProperties =
    "Connection properties cannot be retreived for the Default Backend set in the Meridane Adapter.";
constexpr const char* kNoSceManager = "StandardChargeElement Manager Object could not be created";
constexpr const char* kNoSceList = "SCE List could not be created";
constexpr const char* kNoProjectManager = "ProjectManager Object could not be created";
constexpr const char* kNoProjectList = "ProjectList could not be created";
constexpr const char* kNoObsManager = "OBS Manager Object could not be created";

} // namespace

KovaConnection::KovaConnection() {
    Err().Clear();
    CurrentManager = CreateObject(kPlanningParameterManager);
    Object company = GetCompanyObject(CurrentManager);
    Object record;
    if (company.IsNothing()) {
        Err().Raise(777, kStartUpSource, kNotMaintained);
        Connector = "";
    } else {
        record = ObjectOf(Call(CurrentManager, "Show"));
        if (Err().Number != 0) {
            StartFailure = Err().Description;
            Err().Raise(888, kStartUpSource, kNotStarted);
            Connector = "";
        } else {
            Assign(Connector, [&] { return Trim(CStr(Call(CurrentManager, "getCurrentBackend"))); });
        }
    }
    company.Release();
    CurrentManager.Release();
    record.Release();
}

KovaConnection::~KovaConnection() {
    Connector = "";
}

Object KovaConnection::GetCompanyObject(const Object& manager) {
    Call(manager, "getCurrentBackend");
    Object company = CreateObject(kCompany);
    if (Err().Number != 0) {
        RaiseAbove(kNotMaintainedInAdapter);
        return Object();
    }
    return company;
}

void KovaConnection::getConnectorProperties(std::string /*BOIConnector*/) {
    Err().Clear();
    CurrentManager = CreateObject(kAvailabilityTypeManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoMiddleware);
        return;
    }
    Variant backend = Call(CurrentManager, "getCurrentBackend");
    Object company = GetCompanyObject(CurrentManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoConnectionProperties);
    } else {
        Assign(CompanyNumber,
               [&] { return CLng(Call(company, "getCompanyNumberFromBusComponent", {ByRef(backend)})); });
    }
    hostname_ = "";
    company.Release();
    // The manager stays in CurrentManager until the next method replaces it.
}

OptionalCollection<KovaSCE> KovaConnection::getKovaSCEList(std::string& /*BOIConnector*/) {
    Err().Clear();
    OptionalCollection<KovaSCE> result;
    Collection<KovaSCE> collection;
    CurrentManager = CreateObject(kStandardChargeElementManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoSceManager);
    } else {
        CurrentList = ObjectOf(Call(CurrentManager, "List", {ByVal(""), ByVal("zzzz")}));
        if (Err().Number != 0) {
            RaiseAbove(kNoSceList);
        } else {
            for (const Object& element : ReadEnumeration(CurrentList)) {
                auto sce = std::make_shared<KovaSCE>();
                sce->Code = Trim(CStr(Call(element, "getChargeElementID")));
                sce->Description = Trim(CStr(Call(element, "getDescription")));
                sce->SCEType = Trim(CStr(Call(element, "getChargeElementType")));
                collection.push_back(sce);
            }
        }
        Call(CurrentManager, "releaseAll");
    }
    if (!collection.empty()) result = std::move(collection);
    CurrentList.Release();
    CurrentManager.Release();
    return result;
}

OptionalCollection<KovaData> KovaConnection::getKovaProjectList(std::string& /*BOIConnector*/) {
    Err().Clear();
    OptionalCollection<KovaData> result;
    Collection<KovaData> collection;
    CurrentManager = CreateObject(kProjectManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoProjectManager);
    } else {
        auto i2 = [](int16_t v) { return ByVal(Variant(v)); };
        CurrentList = ObjectOf(
            Call(CurrentManager, "List", {ByVal(""), ByVal("zzzz"), i2(0), i2(999), i2(0), i2(999)}));
        if (Err().Number != 0) {
            RaiseAbove(kNoProjectList);
        } else {
            for (const Object& element : ReadEnumeration(CurrentList)) {
                auto project = std::make_shared<KovaData>();
                project->Code = Trim(CStr(Call(element, "getProjectID")));
                project->Description = Trim(CStr(Call(element, "getProjectDescription")));
                collection.push_back(project);
            }
        }
        Call(CurrentManager, "releaseAll");
    }
    if (!collection.empty()) result = std::move(collection);
    CurrentList.Release();
    CurrentManager.Release();
    return result;
}

void KovaConnection::getReleaseId() {
    Err().Clear();
    CurrentManager = CreateObject(kReleaseIdManager);
    Object release = ObjectOf(Call(CurrentManager, "getKovaReleaseId"));
    Assign(KovaRelease, [&] { return Trim(CStr(Call(release, "getKovaReleaseId"))); });
    release.Release();
    CurrentManager.Release();
}

std::optional<std::vector<Object>> KovaConnection::getOBSElements(std::string& i_Project,
                                                                  std::string& i_Obs) {
    Err().Clear();
    std::vector<Object> collection;
    Object manager = CreateObject(kObsManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoObsManager);
    } else if (manager) {
        Variant callId = int16_t(0);
        Variant flag = std::string("N");
        for (;;) {
            // A request that fails ends the list with what the earlier pages gave; so does a set whose call
            // id or flag cannot be read (after its page), as the next request could not be told from this
            // one.
            Object set;
            if (!Assign(set, [&] {
                    return ObjectOf(Call(manager, "getOrganizationBreakdownStructureElements",
                                         {ByVal(Trim(i_Project)), ByVal(Trim(i_Obs)), ByVal(int16_t(500)),
                                          ByRef(callId), ByRef(flag)}));
                }))
                break;
            if (set.IsNothing()) break;
            bool canGoOn = Assign(callId, [&] { return Variant(CInt(Call(set, "getCallId"))); });
            canGoOn =
                Assign(flag, [&] { return Variant(Trim(CStr(Call(set, "getSetComplete")))); }) && canGoOn;
            Object page = ObjectOf(Call(set, "getOBSElementReference"));
            if (page) {
                int32_t size = CLng(Call(page, "sizeOrganizationBreakdownStructureElement"));
                for (int32_t i = 0; i < size; ++i) {
                    Variant index = int16_t(i);
                    Object element;
                    if (Assign(element, [&] {
                            return ObjectOf(
                                Call(page, "organizationBreakdownStructureElementAt", {ByRef(index)}));
                        }))
                        collection.push_back(element);
                }
            }
            if (!canGoOn) break;
            if (CStr(flag) == "Y") break;
        }
        Call(manager, "releaseAll");
    }
    if (collection.empty()) return std::nullopt;
    return collection;
}

const MemberTable<KovaConnection>& KovaConnection::Members() {
    using K = KovaConnection;
    static const MemberTable<K> table = {
        {"Connector", CallKind::PropertyLet,
         [](K& k, CallArgs& a) -> Variant {
             k.Connector = strict::ToString(a.Value());
             return Variant();
         }},
        {"Connector", [](K& k, CallArgs&) -> Variant { return k.Connector; }},
        {"CompanyNumber", CallKind::PropertyLet,
         [](K& k, CallArgs& a) -> Variant {
             k.CompanyNumber = strict::ToLong(a.Value());
             return Variant();
         }},
        {"CompanyNumber", [](K& k, CallArgs&) -> Variant { return k.CompanyNumber; }},
        {"Hostname", [](K& k, CallArgs&) -> Variant { return k.Hostname(); }},
        {"KovaRelease", [](K& k, CallArgs&) -> Variant { return k.KovaRelease; }},
        {"KovaRelease", CallKind::PropertyLet,
         [](K& k, CallArgs& a) -> Variant {
             k.KovaRelease = strict::ToString(a.Value());
             return Variant();
         }},
        {"getConnectorProperties",
         [](K& k, CallArgs& a) -> Variant {
             k.getConnectorProperties(a.String(0, ""));
             return Variant();
         }},
        {"getReleaseId",
         [](K& k, CallArgs&) -> Variant {
             k.getReleaseId();
             return Variant();
         }},
    };
    return table;
}

} // namespace KovaDataObjects
