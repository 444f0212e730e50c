#pragma once
// One budget line of a charge element.
// A property bag: every property stores and returns its value unchanged; a new record holds empty
// texts, zeros, the zero date and False. The property table, in interface order, lets it answer by name.
#include <cstdint>
#include <string>

#include "platform/automation/Date.h"
#include "platform/automation/RecordObject.h"

namespace KovaDataObjects {

struct KovaBudgetLine {
    bool ProjectSpecific = false;
    platform::automation::Date FinishDate;
    platform::automation::Date StartDate;
    double CostPrice = 0;
    double PhysicalQuantity = 0;
    std::string PhysicalUnit;
    std::string EmpTrgCode;
    double Work = 0;
    std::string CostObjectDescription;
    std::string CostObject;
    int32_t CostType = 0;
    int32_t BudgetLine = 0;
    std::string ChargeElement;
    std::string ResourceType;
    // Not a property: the line is sent by its key alone (charge element, cost type, number), so that
    // the ERP keeps it linked and takes none of its values.
    bool KeyOnly = false;

    static const platform::automation::PropertyTable<KovaBudgetLine>& Properties();
};

} // namespace KovaDataObjects
