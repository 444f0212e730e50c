#include "dataobjects/PlanParam.h"

#include "dataobjects/LibrarySupport.h"
#include "dataobjects/Main.h"
#include "platform/automation/ClassRegistry.h"

namespace KovaDataObjects {

using namespace platform::automation;

namespace {

constexpr const char* kPlanningParameterManager = "ProjectPlanningParameter.ProjectPlanningParameterManager";

// The ERP's switches are numbers: only 1 means yes; 0, 2 or no value at all mean no.
bool IsOne(const Variant& value) {
    if (value.IsString()) return Trim(CStr(value)) == "1";
    return value.IsNumeric() && CDbl(value) == 1;
}

} // namespace

void PlanParam::getPlanningParameters(std::string& /*BOIConnector*/) {
    Err().Clear();
    CurrentManager = CreateObject(kPlanningParameterManager);
    Object record = ObjectOf(Call(CurrentManager, "Show"));
    auto flag = [&](bool& target, const char* getter) {
        Assign(target, [&] { return IsOne(Call(record, getter)); });
    };
    flag(equipSelected_, "getTransferEquipmentToESP");
    flag(trGpSelected_, "getTransferTradeGroupsToESP");
    flag(empSelected_, "getTransferEmployeesToESP");
    flag(laborSelected_, "getTransferLaborToESP");
    flag(subcontractSelected_, "getTransferSubcontractingToESP");
    flag(sundrySelected_, "getTransferSundryCostToESP");
    flag(materialSelected_, "getTransferMaterialToESP");
    Assign(dateTypeForSchedule_, [&] { return CLng(Call(record, "getDateTypeForSchedulingInESP")); });
    Assign(ESPCurrency, [&] { return Trim(CStr(Call(record, "getESPCurrency"))); });
    Assign(defaultAvailabilityType_, [&] { return Trim(CStr(Call(record, "getDefaultAvailabilityType"))); });
    record.Release();
    CurrentManager.Release();
}

const MemberTable<PlanParam>& PlanParam::Members() {
    using P = PlanParam;
    auto let = [](auto field, auto convert) {
        return [field, convert](P& p, CallArgs& a) -> Variant {
            p.*field = convert(a.Value());
            return Variant();
        };
    };
    static const MemberTable<P> table = {
        {"ESPCurrency", CallKind::PropertyLet, let(&P::ESPCurrency, strict::ToString)},
        {"ESPCurrency", [](P& p, CallArgs&) -> Variant { return p.ESPCurrency; }},
        {"DeleteBudgetLineInMsP", CallKind::PropertyLet, let(&P::DeleteBudgetLineInMsP, strict::ToBoolean)},
        {"DeleteBudgetLineInMsP", [](P& p, CallArgs&) -> Variant { return p.DeleteBudgetLineInMsP; }},
        {"DeleteBudgetLineInKova", CallKind::PropertyLet, let(&P::DeleteBudgetLineInKova, strict::ToBoolean)},
        {"DeleteBudgetLineInKova", [](P& p, CallArgs&) -> Variant { return p.DeleteBudgetLineInKova; }},
        {"SundrySelected", [](P& p, CallArgs&) -> Variant { return p.SundrySelected(); }},
        {"SubcontractSelected", [](P& p, CallArgs&) -> Variant { return p.SubcontractSelected(); }},
        {"MaterialSelected", [](P& p, CallArgs&) -> Variant { return p.MaterialSelected(); }},
        {"LaborSelected", [](P& p, CallArgs&) -> Variant { return p.LaborSelected(); }},
        {"DateTypeForSchedule", [](P& p, CallArgs&) -> Variant { return p.DateTypeForSchedule(); }},
        {"TrGpSelected", [](P& p, CallArgs&) -> Variant { return p.TrGpSelected(); }},
        {"EquipSelected", [](P& p, CallArgs&) -> Variant { return p.EquipSelected(); }},
        {"EmpSelected", [](P& p, CallArgs&) -> Variant { return p.EmpSelected(); }},
        {"DefaultAvailabilityType", [](P& p, CallArgs&) -> Variant { return p.DefaultAvailabilityType(); }},
        {"getPlanningParameters",
         [](P& p, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             p.getPlanningParameters(connector);
             a.Set(0, connector);
             return Variant();
         }},
    };
    return table;
}

} // namespace KovaDataObjects
