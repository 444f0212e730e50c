#pragma once
// KovaResourceData: reads the ERP's resources and cost objects for a plan. Each transfer method reads
// one kind page by page from the middleware and leaves one KovaResource per element in that kind's
// collection: general (standard) elements first, then the project's own, in the middleware's order.
// A collection that received no record reads as nothing.
//
// Resource codes and names for the planning program ("." joins the parts):
//   general cost object   code MAT.A100        name MAT.A100 Steel
//   project cost object   code LAB.P100.L01    name LAB.P100.L01 Welder
//   employee              code EMP.E007        name EMP.D10.E007 Jones     (department in the name only)
//   trade group           code TRG.T1          name TRG.T1 Masons
// Kinds: 1 MAT Materials, 2 LAB Labors, 3 SUB Subcontracts, 4 SUN Sundries, 5 EQP Equipments,
// 6 EMP Employees, 7 TRG TradeGroups (not the cost-type numbers of budget lines).
//
// Failures follow the library's convention: every method returns normally, the error state tells.
#include <cstdint>
#include <string>

#include "dataobjects/KovaResource.h"
#include "dataobjects/LibrarySupport.h"
#include "platform/automation/Object.h"

namespace KovaDataObjects {

class KovaResourceData : public platform::automation::Dispatchable<KovaResourceData> {
public:
    KovaResourceData();

    // The collections, one per kind; nothing (std::nullopt) until a transfer fills them or the caller
    // sets them.
    OptionalCollection<KovaResource> Materials;
    OptionalCollection<KovaResource> Labors;
    OptionalCollection<KovaResource> Subcontracts;
    OptionalCollection<KovaResource> Equipments;
    OptionalCollection<KovaResource> Sundries;
    OptionalCollection<KovaResource> Employees;
    OptionalCollection<KovaResource> TradeGroups;
    // Records of the last transfer left out because a number of theirs does not fit (an overflow), each
    // as "CODE IN THE PLAN (what did not fit)".
    std::vector<std::string> RefusedRecords;

    // The connector and the availability type are accepted and not used. The two flags select the
    // general cost objects and the project's own ones (of KovaProject).
    void TransferMaterialCostObjects(std::string& BOIConnector, std::string KovaProject,
                                     std::string KovaAvailabilityType, bool Transferitem,
                                     bool TransferProjectitem);
    void TransferLaborCostObjects(std::string& BOIConnector, std::string KovaProject, bool TransferLabor,
                                  bool TransferProjectLabor);
    void TransferSubContractCostObjects(std::string& BOIConnector, std::string KovaProject,
                                        std::string KovaAvailabilityType, bool TransferSubcontracting,
                                        bool TransferProjectSubcontracting);
    void TransferSundryCostObjects(std::string& BOIConnector, std::string KovaProject,
                                   std::string KovaAvailabilityType, bool TransferSundryCost,
                                   bool TransferProjectSundryCost);
    void TransferEquipments(std::string& BOIConnector, std::string KovaProject,
                            std::string KovaAvailabilityType, bool TransferEquipment,
                            bool TransferProjectEquipment);
    void TransferEmployees(std::string& BOIConnector, std::string KovaAvailabilityType);
    // Trade groups belong to no project: KovaProject is not used.
    void TransferTradeGroups(std::string& BOIConnector, std::string KovaProject,
                             std::string KovaAvailabilityType);

    // The transfer methods by name (the collections are reached early-bound only).
    static const platform::automation::MemberTable<KovaResourceData>& Members();

    struct ListMembers; // the list, page, size and element member names of one list
    struct KindOfResource;

private:
    void Transfer(const KindOfResource& kind, OptionalCollection<KovaResource>& target,
                  const std::string& project, bool general, bool projectSpecific);
    void ReadSection(const KindOfResource& kind, const char* progId, const char* failureText,
                     const ListMembers& members, const std::string* project);
    void AddResource(int32_t ResourceKind, platform::automation::Object& ListElement, bool IsProjectSpecific);
    OptionalCollection<KovaResource>& CollectionOf(int32_t kind);

    std::string CodeSeparator;
    int32_t CallId = 0;
    std::string SetComplete;
    bool ListComplete = false;
    int32_t ElementIndex = 0;
};

} // namespace KovaDataObjects
