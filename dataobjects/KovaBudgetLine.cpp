#include "dataobjects/KovaBudgetLine.h"

namespace KovaDataObjects {

const platform::automation::PropertyTable<KovaBudgetLine>& KovaBudgetLine::Properties() {
    static const platform::automation::PropertyTable<KovaBudgetLine> table = {
        {"ProjectSpecific", &KovaBudgetLine::ProjectSpecific},
        {"FinishDate", &KovaBudgetLine::FinishDate},
        {"StartDate", &KovaBudgetLine::StartDate},
        {"CostPrice", &KovaBudgetLine::CostPrice},
        {"PhysicalQuantity", &KovaBudgetLine::PhysicalQuantity},
        {"PhysicalUnit", &KovaBudgetLine::PhysicalUnit},
        {"EmpTrgCode", &KovaBudgetLine::EmpTrgCode},
        {"Work", &KovaBudgetLine::Work},
        {"CostObjectDescription", &KovaBudgetLine::CostObjectDescription},
        {"CostObject", &KovaBudgetLine::CostObject},
        {"CostType", &KovaBudgetLine::CostType},
        {"BudgetLine", &KovaBudgetLine::BudgetLine},
        {"ChargeElement", &KovaBudgetLine::ChargeElement},
        {"ResourceType", &KovaBudgetLine::ResourceType},
    };
    return table;
}

} // namespace KovaDataObjects
