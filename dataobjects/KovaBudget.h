#pragma once
// KovaBudget: the budget lines of one ERP project, plan and connection node (the charge element the
// plan is connected to), read from and written to "ActivityBudget.ActivityBudgetManager".
//
// Cost types, as every interface of this class and every KovaBudgetLine.CostType carries them:
// 1 Material, 2 Labor, 3 Equipment, 4 Subcontracting, 5 Sundry.
//
// Reading marks the lines it hands out as linked to the plan file (schedule link 3), so that a later
// read does not offer them again; `correctScheduleLinks` puts one line back to waiting (2), so that it
// is offered again. Failures follow the library's convention: nothing is thrown, the error state tells.
#include <cstdint>
#include <memory>
#include <string>

#include "dataobjects/KovaBudgetLine.h"
#include "dataobjects/KovaData.h"
#include "dataobjects/LibrarySupport.h"
#include "platform/automation/Object.h"

namespace KovaDataObjects {

class KovaBudget : public platform::automation::Dispatchable<KovaBudget> {
public:
    KovaBudget() = default;
    ~KovaBudget() override;

    // The lines read by getAllBudgetLines; nothing when the last read found none.
    OptionalCollection<KovaBudgetLine> KovaBudgetLines;
    std::string Plan;
    std::string Project;
    std::string ConnectedCE;

    // Replaces KovaBudgetLines with all lines of Project, Plan and ConnectedCE, cost types 1 to 5, and
    // links them to MsProjectName. Failures: 100 with the latest recorded text.
    void getAllBudgetLines(std::string& BOIConnector, std::string MsProjectName);
    // Re-reads one linked line into the arguments its cost type fills; the others keep their values.
    void getUpdatedBudgetLineFromKova(std::string& BOIConnector, std::string ChargeElement,
                                      int32_t KovaCostType, int32_t KovaSern, double& BudgetQty,
                                      double& BudgetCost, std::string& BudgetUnit, double& QtyReqd);
    // Puts one line's schedule link back to 2.
    void correctScheduleLinks(std::string& BOIConnector, int32_t CostType, std::string ChargeElement,
                              int32_t BudgetLine);
    // Creates one line, linked at once; KovaSern receives its sequence number (unchanged on failure).
    // StartDate and FinishDate are 14-digit time stamps.
    void createBudgetLineinKova(std::string& BOIConnector, int32_t& KovaSern, int16_t KovaCostType,
                                std::string ChargeElement, std::string CostObject, double Quantity,
                                std::string StartDate, std::string FinishDate, std::string MsProject,
                                std::string Employee, std::string TradeGroup);
    // Sends the lines, one update call per cost type; returns (always, possibly empty) one KovaData per
    // line the ERP answers with return value 1 (Code charge element, Number sequence number,
    // Description the cost type "1".."5"). Refusals: 777 "KovaPlanIntegration", one message a line.
    Collection<KovaData> updateBudgetLinesInKova(std::string& BOIConnector, int32_t Ownership,
                                                 Collection<KovaBudgetLine>& colBdgtLines, int32_t DeleteBL,
                                                 std::string strMSProjectName);

    // The lines of Project and Plan, cost types 1 to 5, that the ERP holds as linked to MsProjectName
    // (their ChargeElement, BudgetLine, CostType and CostObject; other fields keep their defaults).
    // Failures: 100 with "ActivityBudgetManager Object could not be created", or the list's failure.
    Collection<KovaBudgetLine> getLinkedBudgetLines(std::string& BOIConnector, std::string MsProjectName);

    // The properties by name, and the methods without a collection.
    static const platform::automation::MemberTable<KovaBudget>& Members();

private:
    void SetScheduleLinksToLinked(platform::automation::Object& manager, const Collection<KovaData>* charges,
                                  int32_t costType, const std::string& fileName);
};

// The budget object of a connected plan: a new KovaBudget with the three keys set, its lines loaded
// when BudgetlinesTransferred is True. (The body of KovaProjectData.getKovaBudget.)
std::shared_ptr<KovaBudget> MakeKovaBudget(const std::string& project, const std::string& plan,
                                           const std::string& connectedCE, std::string& BOIConnector,
                                           bool& BudgetlinesTransferred, const std::string& MsProjectName);

} // namespace KovaDataObjects
