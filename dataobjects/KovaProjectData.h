#pragma once
// KovaProjectData: one ERP project as seen from one plan. It holds the project header, the plan and
// the connection node, the charge breakdown structure and its ownership, and runs the project-level
// exchanges with the middleware: header, plans, top charge element, leading-plan test, baselines, the
// structure and its schedule, and the external schedule link.
//
// Every middleware method clears the error state, resumes after failing steps and reports its failures
// in the error state only (number + 100, source "Kova Data Access Objects", a fixed text); nothing is
// thrown. Set ProjectCode first; Plan before the plan, structure and link methods; ConnectedCE and
// ESProject before the link methods.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "dataobjects/KovaCE.h"
#include "dataobjects/KovaData.h"
#include "dataobjects/LibrarySupport.h"
#include "platform/automation/Date.h"
#include "platform/automation/Object.h"

namespace KovaDataObjects {

class KovaBudget;

class KovaProjectData : public platform::automation::Dispatchable<KovaProjectData> {
public:
    ~KovaProjectData() override;

    // The plan file name the ERP link records (as last read).
    std::string eprj;
    // Set by disconnectKovaProject: False when the ERP link belongs to another plan file.
    bool Valid_Project = false;
    // Only stored and returned.
    platform::automation::Object GeneratedCE;
    // Ownership of the structure as the ERP link records it; 0 when there is no link.
    int32_t Ownership = 0;
    // The structure read by getChBSFromKova; absent when the ERP gave no element.
    std::optional<Collection<KovaCE>> ChargeElements;
    // 1 "Element / Element", 2 "Element / Activity", 3 "Activity / Activity".
    int32_t BudgetCombination = 0;
    std::string TopCE;
    std::string ConnectedCE;
    std::string Plan;
    std::string OBSCode;
    platform::automation::Date FinishDate;
    platform::automation::Date StartDate;
    // A project start in 1900 or 1901 reads as no StartDate (the ERP's null date looks so); the date
    // itself is kept here for the caller to name. Zero otherwise.
    platform::automation::Date StartDateReadAsNone;
    std::string Description;
    std::string ProjectCode;
    std::string ESProject;

    // A budget object for ProjectCode, Plan and ConnectedCE; its lines are loaded (and linked to
    // MsProjectName) when BudgetlinesTransferred is True. No error handling of its own.
    std::shared_ptr<KovaBudget> getKovaBudget(std::string& BOIConnector, bool& BudgetlinesTransferred,
                                              std::string MsProjectName);
    std::string getTopCEForPlan(std::string BOIConnector);
    // Process 1 creates (BaselineNumber = the new id), 2 changes BaselineToBeUpdated (BaselineNumber =
    // that id once the ERP accepted it), any other sends nothing. Derive is not used.
    void saveKovaBaseline(std::string& BOIConnector, int32_t Process, int32_t Derive,
                          int32_t DeriveFromBaseline, int32_t BaselineToBeUpdated,
                          std::string BaselineDescription, int32_t& BaselineNumber);
    // Every baseline of the project (Code = status, Number = id); BaselineStatus does not filter.
    OptionalCollection<KovaData> getKovaBaselines(std::string& BOIConnector, int32_t BaselineStatus);
    void getChBSFromKova(std::string& BOIConnector, std::string KovaConnectionNode);
    // (Number = sequence number sent, Code = generated code); possibly empty; none after a failure.
    OptionalCollection<KovaData> updateChBSInKova(std::string& BOIConnector, std::string KovaConnectionNode,
                                                  Collection<KovaCE>& colChBS);
    // -1: the link belongs to another plan file; 0: no link or it could not be read; else the ownership.
    int32_t determineCHBSOwnership(std::string& BOIConnector);
    void updateCHBSOwnershipInKova(std::string& BOIConnector, int32_t ownr_to_be_sent);
    bool checkPlanIsLeading(std::string& BOIConnector);
    bool updateScheduleInfo(std::string& BOIConnector, Collection<KovaCE>& colCEList);
    OptionalCollection<KovaData> getProjectPlans(std::string& BOIConnector);
    void getProjectInfo(std::string& BOIConnector);
    void updateConnectionInfoInKova(std::string& BOIConnector, std::string CurrentProject,
                                    std::string CurrentPlan, std::string CurrentConnectionNode,
                                    int32_t CurrentOwnershipforKova, std::string ESPProject);
    void disconnectKovaProject(std::string& BOIConnector, std::string ESProject);
    // Same plan file? Equal names, or equal but for a ".mpp" ending on one of them (case-sensitive).
    bool Projects_are_Equal(std::string& KovaProject, std::string& MsProject) const;

    // The properties by name, and the methods without a collection argument or result.
    static const platform::automation::MemberTable<KovaProjectData>& Members();
};

} // namespace KovaDataObjects
