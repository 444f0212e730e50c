#pragma once
// PlanParam: the ERP's project planning parameters (which resources and cost objects it transfers to
// the plan, its scheduling date type, currency and default availability type). Callers read the
// properties by name as well.
#include <cstdint>
#include <string>

#include "platform/automation/Object.h"

namespace KovaDataObjects {

class PlanParam : public platform::automation::Dispatchable<PlanParam> {
public:
    std::string ESPCurrency;
    // Carried only: nothing sets or reads them but their accessors.
    bool DeleteBudgetLineInMsP = false;
    bool DeleteBudgetLineInKova = false;

    bool SundrySelected() const { return sundrySelected_; }
    bool SubcontractSelected() const { return subcontractSelected_; }
    bool MaterialSelected() const { return materialSelected_; }
    bool LaborSelected() const { return laborSelected_; }
    int32_t DateTypeForSchedule() const { return dateTypeForSchedule_; }
    bool TrGpSelected() const { return trGpSelected_; }
    bool EquipSelected() const { return equipSelected_; }
    bool EmpSelected() const { return empSelected_; }
    const std::string& DefaultAvailabilityType() const { return defaultAvailabilityType_; }

    // Reads the parameters; raises nothing (a failing read leaves its property and its error).
    void getPlanningParameters(std::string& BOIConnector);

    static const platform::automation::MemberTable<PlanParam>& Members();

private:
    std::string defaultAvailabilityType_;
    bool empSelected_ = false;
    bool equipSelected_ = false;
    bool trGpSelected_ = false;
    int32_t dateTypeForSchedule_ = 0;
    bool laborSelected_ = false;
    bool materialSelected_ = false;
    bool subcontractSelected_ = false;
    bool sundrySelected_ = false;
};

} // namespace KovaDataObjects
