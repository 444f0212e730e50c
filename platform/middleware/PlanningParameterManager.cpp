#include "platform/middleware/PlanningParameterManager.h"

#include "platform/middleware/Errors.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

PlanningParameterManager::PlanningParameterManager() : ManagerOf(progids::PlanningParameterManager) {}

const EntityKind& PlanningParameterManager::RecordKind() {
    // The transfer switches are numbers: 1 = transferred, anything else (or no value) = not.
    static const EntityKind kind{
        "ProjectPlanningParameter.ProjectPlanningParameter",
        "planning_parameters",
        {
            {"CompanyNumber", "company_number", FieldType::Long, {"getCompanyNumber"}, {}, true},
            {"TransferEquipment", "transfer_equipment", FieldType::Long, {"getTransferEquipmentToESP"}, {}},
            {"TransferTradeGroups",
             "transfer_trade_groups",
             FieldType::Long,
             {"getTransferTradeGroupsToESP"},
             {}},
            {"TransferEmployees", "transfer_employees", FieldType::Long, {"getTransferEmployeesToESP"}, {}},
            {"TransferLabor", "transfer_labor", FieldType::Long, {"getTransferLaborToESP"}, {}},
            {"TransferSubcontracting",
             "transfer_subcontracting",
             FieldType::Long,
             {"getTransferSubcontractingToESP"},
             {}},
            {"TransferSundry", "transfer_sundry", FieldType::Long, {"getTransferSundryCostToESP"}, {}},
            {"TransferMaterial", "transfer_material", FieldType::Long, {"getTransferMaterialToESP"}, {}},
            {"DateType", "date_type_for_scheduling", FieldType::Long, {"getDateTypeForSchedulingInESP"}, {}},
            {"Currency", "currency", FieldType::Text, {"getESPCurrency"}, {}},
            {"DefaultAvailabilityType",
             "default_availability_type",
             FieldType::Text,
             {"getDefaultAvailabilityType"},
             {}},
        }};
    return kind;
}

const MemberTable<PlanningParameterManager>& PlanningParameterManager::Members() {
    using M = PlanningParameterManager;
    static const MemberTable<M> table = {
        {"Show",
         [](M& m, CallArgs&) -> Variant {
             int32_t company = m.Backend().companyNumber;
             auto found = LoadEntities(m.Db(), RecordKind(), "company_number = ?", {company}, "", m.progId());
             if (found.empty())
                 throw Failure(failures::NotFound,
                               "No project planning parameters are maintained for company " +
                                   std::to_string(company) + ".");
             return Variant(Object(found.front()));
         }},
    };
    return table;
}

} // namespace platform::middleware
