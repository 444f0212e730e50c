#include "dataobjects/KovaProjectData.h"

#include <functional>

#include <gtest/gtest.h>

#include "dataobjects/ClassRegistration.h"
#include "dataobjects/Main.h"
#include "dataobjects/Proc.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace KovaDataObjects;
using platform::middleware::Fault;
using platform::middleware::TestBackend;

namespace {

constexpr const char* kProjectManager = "Project.ProjectManager";
constexpr const char* kPlanManager = "Plan.PlanManager";
constexpr const char* kBaselineManager = "Baseline.BaselineManager";
constexpr const char* kCeManager = "ChargeElement.ChargeElementManager";
constexpr const char* kCeElement = "ChargeElement.ChargeElement";
constexpr const char* kLinkManager = "ChargeElement.ExternalScheduleLinkManager";
constexpr const char* kSource = "Kova Data Access Objects";
constexpr int32_t kCannotCreate = 429 + 100;
constexpr int32_t kNegative = -2147221503;

// MAIN: TOP with DES (a budget line) and BLD (costs, not connectable) below it, MS1 linked to DES and
// the stand-alone MS2; the plan file Bridge.mpp is connected below TOP. ALT is empty; EMPTY has nothing.
constexpr const char* kSeed = R"({
  "company": {"number": 7},
  "standardChargeElements": [{"code": "DESIGN", "description": "Design", "type": "4"}],
  "costObjects": [{"kind": "MAT", "code": "CONCRETE", "unit": "m3"}],
  "projects": [
    {"id": "BRIDGE", "description": " Lasse bridge ", "start": "2024-03-01", "finish": "2024-12-20 17:00",
     "leadingPlan": " MAIN ", "obs": " ENG ", "budgetTypeProjectBudget": 1, "budgetTypeProjectControl": 2,
     "baselines": [{"id": 1, "description": " First ", "status": 2}, {"id": 2, "description": "Second", "status": 1}],
     "plans": [
       {"id": "MAIN", "description": " Main plan ", "topChargeElement": "TOP",
        "chargeElements": [
          {"id": "TOP", "description": " Bridge ", "type": 1},
          {"id": "DES", "description": "Design", "type": 4, "parent": "TOP", "obs": " ENG ",
           "start": "2024-03-03 17:00", "finish": "2024-03-05 07:00"},
          {"id": "BLD", "description": "Build", "type": 4, "parent": "TOP", "connectable": 2, "hasCosts": 1},
          {"id": "MS1", "description": "Design done", "type": 5, "parent": "TOP", "linked": "DES"},
          {"id": "MS2", "description": "Opening", "type": 5, "parent": "TOP"}],
        "budgetLines": [{"chargeElement": "DES", "costType": 1, "costObject": "CONCRETE"}],
        "links": [{"node": "TOP", "ownership": 2, "externalSchedule": "Bridge.mpp"}]},
       {"id": "ALT", "description": "Alternative"}]},
    {"id": "EMPTY"}]
})";

std::vector<std::string> Codes(const std::optional<Collection<KovaCE>>& elements) {
    std::vector<std::string> codes;
    if (elements)
        for (const auto& e : *elements)
            codes.push_back(e->CECode);
    return codes;
}

std::shared_ptr<KovaCE> Find(const std::optional<Collection<KovaCE>>& elements, const std::string& code) {
    if (elements)
        for (const auto& e : *elements)
            if (e->CECode == code) return e;
    return nullptr;
}

std::shared_ptr<KovaCE> Sent(int32_t seq, std::string code, int16_t type, std::string parent,
                             std::string sce = "") {
    auto ce = std::make_shared<KovaCE>();
    ce->SeqNumber = seq;
    ce->CECode = std::move(code);
    ce->CEDescription = "Element " + std::to_string(seq);
    ce->CEType = type;
    ce->CEParent = std::move(parent);
    ce->SCECode = std::move(sce);
    return ce;
}

Date At(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return Date::FromParts(y, m, d, h, mi, s);
}

} // namespace

class KovaProjectDataTest : public ::testing::Test {
protected:
    TestBackend erp{kSeed};
    KovaProjectData data;
    std::string connector = "DEMO";

    void SetUp() override {
        data.ProjectCode = "BRIDGE";
        data.Plan = "MAIN";
        data.ConnectedCE = "TOP";
        data.ESProject = "Bridge";
        erp.Control().StartCallLog();
    }
    size_t CallsTo(const char* member) { return erp.Control().CallsTo(member).size(); }
    void Sql(const std::string& sql) { erp.Open()->Exec(sql); }
    void ExpectError(int32_t number, const std::string& description, const std::string& source = kSource) {
        EXPECT_EQ(Err().Number, number) << Err().Description;
        EXPECT_EQ(Err().Description, description);
        EXPECT_EQ(Err().Source, source);
    }
};

// ---- project, plans, baselines

TEST_F(KovaProjectDataTest, ProjectInfoReadsTheHeaderAndMakesTheLeadingPlanCurrent) {
    data.Plan = "ALT";
    data.getProjectInfo(connector);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(data.Description, "Lasse bridge");
    EXPECT_EQ(data.StartDate, At(2024, 3, 1, 0, 0, 1)) << "midnight reads as one second past it";
    EXPECT_EQ(data.FinishDate, At(2024, 12, 20, 17));
    EXPECT_EQ(data.Plan, "MAIN");
    EXPECT_EQ(data.OBSCode, "ENG");
    EXPECT_EQ(data.TopCE, "TOP");
    EXPECT_EQ(data.BudgetCombination, 2);
    EXPECT_EQ(CallsTo("releaseAll"), 2u) << "the plan manager's and its own";
    EXPECT_TRUE(CurrentManager.IsNothing());
}

TEST_F(KovaProjectDataTest, BudgetCombinationFromTheTwoBudgetTypes) {
    struct Case {
        int pb, pc, expected;
    } cases[] = {{1, 1, 1}, {1, 2, 2}, {2, 1, 2}, {2, 2, 3}, {1, 3, 9}, {0, 0, 9}};
    for (const auto& c : cases) {
        Sql("UPDATE project SET budget_type_pb = " + std::to_string(c.pb) +
            ", budget_type_pc = " + std::to_string(c.pc));
        data.BudgetCombination = 9;
        data.getProjectInfo(connector);
        EXPECT_EQ(data.BudgetCombination, c.expected) << c.pb << "/" << c.pc;
    }
}

TEST_F(KovaProjectDataTest, ProjectWithoutLeadingPlanLeavesTopCEEmptyWithoutAskingForThePlan) {
    data.ProjectCode = "EMPTY";
    data.TopCE = "OLD";
    data.getProjectInfo(connector);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(data.Plan, "");
    EXPECT_EQ(data.TopCE, "");
    EXPECT_EQ(CallsTo("getTopChargeElementID"), 0u);
}

TEST_F(KovaProjectDataTest, UnknownProjectKeepsTheHeaderAndTheMiddlewaresFailure) {
    data.ProjectCode = "NOPE";
    data.Description = "kept";
    data.BudgetCombination = 3;
    data.getProjectInfo(connector);
    EXPECT_EQ(Err().Number, platform::middleware::failures::NotFound);
    EXPECT_EQ(data.Description, "kept");
    EXPECT_EQ(data.Plan, "MAIN");
    EXPECT_EQ(data.BudgetCombination, 3);
}

TEST_F(KovaProjectDataTest, PlansOfTheProjectOrNoneForAProjectWithout) {
    auto plans = data.getProjectPlans(connector);
    ASSERT_TRUE(plans);
    ASSERT_EQ(plans->size(), 2u);
    EXPECT_EQ((*plans)[0]->Code, "MAIN");
    EXPECT_EQ((*plans)[0]->Description, "Main plan");
    EXPECT_EQ((*plans)[1]->Code, "ALT");
    data.ProjectCode = "EMPTY";
    EXPECT_FALSE(data.getProjectPlans(connector));
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(KovaProjectDataTest, LeadingPlanComparesTheTrimmedLeadingPlanExactly) {
    struct Case {
        const char* plan;
        bool leading;
    } cases[] = {{"MAIN", true}, {"main", false}, {" MAIN", false}, {"ALT", false}};
    for (const auto& c : cases) {
        data.Plan = c.plan;
        EXPECT_EQ(data.checkPlanIsLeading(connector), c.leading) << c.plan;
        EXPECT_EQ(Err().Number, 0);
    }
}

TEST_F(KovaProjectDataTest, BaselinesAreListedUnfilteredWithTheirStatus) {
    auto baselines = data.getKovaBaselines(connector, 1);
    ASSERT_TRUE(baselines);
    ASSERT_EQ(baselines->size(), 2u);
    EXPECT_EQ((*baselines)[0]->Number, 1);
    EXPECT_EQ((*baselines)[0]->Code, "2");
    EXPECT_EQ((*baselines)[0]->Description, "First");
    EXPECT_EQ((*baselines)[1]->Code, "1");
    data.ProjectCode = "EMPTY";
    EXPECT_FALSE(data.getKovaBaselines(connector, 1));
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(KovaProjectDataTest, SavingBaselines) {
    int32_t number = 0;
    data.saveKovaBaseline(connector, 1, 1, 1, 0, "Derived", number);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(number, 3) << "numbered per project";
    data.saveKovaBaseline(connector, 1, 2, 0, 0, "Plain", number);
    EXPECT_EQ(number, 4);

    number = 0;
    data.saveKovaBaseline(connector, 2, 0, 0, 3, "", number);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(number, 3) << "a changed baseline answers its own number";

    // The library's text, then the ERP's reason.
    struct Refused {
        const char* name;
        int32_t process, from, toUpdate;
        const char* reason;
    } refused[] = {
        {"derived from a free one", 1, 2, 0,
         "A baseline can only be derived from an approved baseline; 2 is none of the project BRIDGE."},
        {"derived from an unknown one", 1, 77, 0,
         "A baseline can only be derived from an approved baseline; 77 is none of the project BRIDGE."},
        {"changing an approved one", 2, 0, 1, "The baseline 1 is not free and cannot be changed."},
        {"changing an unknown one", 2, 0, 77, "The baseline 77 of the project BRIDGE does not exist."}};
    for (const auto& r : refused) {
        number = -5;
        data.saveKovaBaseline(connector, r.process, 0, r.from, r.toUpdate, "x", number);
        EXPECT_EQ(Err().Description, std::string("Baseline could not be created\r\n") + r.reason) << r.name;
        EXPECT_GT(Err().Number, 1000 + 100) << r.name;
        EXPECT_EQ(number, -5) << r.name;
    }
    auto baselines = data.getKovaBaselines(connector, 0);
    ASSERT_TRUE(baselines);
    EXPECT_EQ(baselines->size(), 4u);
    EXPECT_EQ(baselines->back()->Code, "1") << "created free";

    erp.Control().ClearCallLog();
    data.saveKovaBaseline(connector, 3, 0, 0, 1, "x", number);
    EXPECT_EQ(Err().Number, 0);
    EXPECT_FALSE(erp.Control().WasCalled("createBaseline") || erp.Control().WasCalled("changeBaseline"));
    EXPECT_EQ(CallsTo("releaseAll"), 0u);

    data.ProjectCode = "EMPTY";
    data.saveKovaBaseline(connector, 1, 0, 0, 0, "First of its own", number);
    EXPECT_EQ(number, 1);
}

// ---- charge breakdown structure

TEST_F(KovaProjectDataTest, StructureIsReadNodeFirstEachElementAfterItsParent) {
    data.getChBSFromKova(connector, "TOP");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Codes(data.ChargeElements), (std::vector<std::string>{"TOP", "DES", "MS1", "BLD", "MS2"}));
    auto top = Find(data.ChargeElements, "TOP");
    auto des = Find(data.ChargeElements, "DES");
    auto bld = Find(data.ChargeElements, "BLD");
    auto ms1 = Find(data.ChargeElements, "MS1");
    auto ms2 = Find(data.ChargeElements, "MS2");
    EXPECT_EQ(top->CEDescription, "Bridge");
    EXPECT_TRUE(top->Connectable);
    EXPECT_FALSE(bld->Connectable) << "getConnectable 2";
    EXPECT_EQ(des->CEParent, "TOP");
    EXPECT_EQ(des->OBSelement, "ENG");
    EXPECT_EQ(des->CEType, 4);
    EXPECT_EQ(des->StartDate, At(2024, 3, 3, 17));
    EXPECT_EQ(des->Duration, 2) << "calendar days, whatever the times";
    EXPECT_FALSE(des->Milestone);
    EXPECT_EQ(ms1->CEParent, "DES") << "a milestone's parent is the element it is linked to";
    EXPECT_TRUE(ms1->Milestone);
    EXPECT_FALSE(ms1->StandAlone);
    EXPECT_EQ(ms1->Duration, 0);
    EXPECT_EQ(ms2->CEParent, "TOP");
    EXPECT_TRUE(ms2->StandAlone);
    EXPECT_EQ(CallsTo("releaseAll"), 1u);

    data.getChBSFromKova(connector, "DES");
    EXPECT_EQ(Codes(data.ChargeElements), (std::vector<std::string>{"DES", "MS1"}));
    data.getChBSFromKova(connector, "");
    EXPECT_EQ(Codes(data.ChargeElements).size(), 5u) << "the whole plan";
}

TEST_F(KovaProjectDataTest, StructureOverSeveralPagesAndAFailingPage) {
    erp.Control().SetPageSizeCap(2);
    data.getChBSFromKova(connector, "TOP");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Codes(data.ChargeElements), (std::vector<std::string>{"TOP", "DES", "MS1", "BLD", "MS2"}));
    EXPECT_EQ(CallsTo("getChargeBreakdownStructure"), 3u);

    // A failing second page ends the read with the first page; the failure stays.
    erp.Control().ArmFault(Fault::Error(kCeManager, "getChargeBreakdownStructure", 70, 2));
    data.getChBSFromKova(connector, "TOP");
    EXPECT_EQ(Codes(data.ChargeElements), (std::vector<std::string>{"TOP", "DES"}));
    EXPECT_EQ(Err().Number, 70);
}

TEST_F(KovaProjectDataTest, NoElementsLeaveTheStructureAbsent) {
    data.Plan = "ALT";
    data.getChBSFromKova(connector, "");
    EXPECT_EQ(Err().Number, 0);
    EXPECT_FALSE(data.ChargeElements);
    data.Plan = "NOPE";
    data.getChBSFromKova(connector, "");
    EXPECT_FALSE(data.ChargeElements);
    EXPECT_EQ(Err().Number, platform::middleware::failures::NotFound);
}

TEST_F(KovaProjectDataTest, StructureSentFromThePlanRoundTrips) {
    // Parents travel as task ids; DESIGN-derived and milestone elements without codes get new ones.
    // MS1 and MS2 are left out and so deleted.
    auto top = Sent(1, "TOP", 1, "");
    auto des = Sent(2, "DES", 4, "1");
    des->StartDate = At(2024, 4, 3, 8);
    des->FinishDate = At(2024, 4, 5, 17);
    auto fresh = Sent(3, "", 4, "2", " DESIGN ");
    auto milestone = Sent(4, "", 5, "3");
    auto bld = Sent(5, "BLD", 4, "1");
    Collection<KovaCE> sent{top, des, fresh, milestone, bld};
    erp.Control().SetPageSizeCap(1);

    auto generated = data.updateChBSInKova(connector, "TOP", sent);
    ASSERT_TRUE(generated) << Err().Description;
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(CallsTo("updateChargeBreakdownStructure"), 2u) << "one result per page";
    ASSERT_EQ(generated->size(), 2u);
    EXPECT_EQ((*generated)[0]->Number, 3);
    EXPECT_EQ((*generated)[1]->Number, 4);
    std::map<int32_t, std::string> codeOf{{1, "TOP"}, {2, "DES"}, {5, "BLD"}};
    for (const auto& g : *generated) {
        EXPECT_FALSE(g->Code.empty());
        EXPECT_LE(g->Code.size(), 8u);
        EXPECT_EQ(g->Code.find_first_of("._"), std::string::npos) << g->Code;
        codeOf[g->Number] = g->Code;
    }
    EXPECT_EQ(codeOf[3].rfind("DESIGN", 0), 0u) << codeOf[3];
    EXPECT_NE(codeOf[3], codeOf[4]);

    erp.Control().SetPageSizeCap(0);
    data.getChBSFromKova(connector, "TOP");
    EXPECT_EQ(Codes(data.ChargeElements),
              (std::vector<std::string>{"TOP", "DES", codeOf[3], codeOf[4], "BLD"}));
    for (const auto& s : sent) {
        std::string code = s->CECode.empty() ? codeOf[s->SeqNumber] : s->CECode;
        auto back = Find(data.ChargeElements, code);
        ASSERT_TRUE(back) << code;
        EXPECT_EQ(back->CEType, s->CEType) << code;
        EXPECT_EQ(back->CEDescription, s->CEDescription) << code;
        if (code != "TOP") EXPECT_EQ(back->CEParent, codeOf[std::stoi(s->CEParent)]) << code;
    }
    EXPECT_EQ(Find(data.ChargeElements, "DES")->StartDate, At(2024, 4, 3, 8));
    EXPECT_TRUE(Find(data.ChargeElements, codeOf[4])->Milestone);

    // Sending the same structure again generates nothing and changes nothing.
    for (auto& s : sent)
        if (s->CECode.empty()) s->CECode = codeOf[s->SeqNumber];
    generated = data.updateChBSInKova(connector, "TOP", sent);
    ASSERT_TRUE(generated) << Err().Description;
    EXPECT_TRUE(generated->empty());
    data.getChBSFromKova(connector, "TOP");
    EXPECT_EQ(Codes(data.ChargeElements).size(), 5u);
}

TEST_F(KovaProjectDataTest, DeletingElementsWithCostsIsRefusedWithTheirMarkers) {
    // DES (a budget line) and BLD (costs) are left out; so are the milestones.
    Collection<KovaCE> sent{Sent(1, "TOP", 1, ""), Sent(2, "", 4, "1", "DESIGN")};
    auto generated = data.updateChBSInKova(connector, "TOP", sent);
    EXPECT_FALSE(generated);
    EXPECT_EQ(Err().Number, platform::middleware::failures::Refused + 100);
    EXPECT_EQ(Err().Source, kSource);
    const std::string& text = Err().Description;
    EXPECT_NE(text.find("###CEs###DES###CEe###$$$CEDs$$$Design$$$CEDe$$$"), std::string::npos) << text;
    EXPECT_NE(text.find("###CEs###BLD###CEe###$$$CEDs$$$Build$$$CEDe$$$"), std::string::npos) << text;
    EXPECT_EQ(text.find("MS1"), std::string::npos) << "only the refused ones";
    EXPECT_EQ(text.find("<MessageDescription>"), std::string::npos) << "the reduced text";
    EXPECT_EQ(text.substr(text.size() - 40), "\r\nUpdateChargeBreakdownStructure failed.");
    EXPECT_EQ(CallsTo("releaseAll"), 0u);

    Err().Clear();
    data.getChBSFromKova(connector, "TOP");
    EXPECT_EQ(Codes(data.ChargeElements), (std::vector<std::string>{"TOP", "DES", "MS1", "BLD", "MS2"}))
        << "nothing changed";
    // The refused send used up no code either.
    Collection<KovaCE> later{Sent(1, "MS2", 5, ""), Sent(2, "", 4, "1", "DESIGN")};
    generated = data.updateChBSInKova(connector, "MS2", later);
    ASSERT_TRUE(generated) << Err().Description;
    ASSERT_EQ(generated->size(), 1u);
    EXPECT_EQ(generated->front()->Code, "DESIGN1");
}

TEST_F(KovaProjectDataTest, AnEmptyStructureIsStillSentAndGivesAnEmptyCollection) {
    Collection<KovaCE> none;
    auto generated = data.updateChBSInKova(connector, "MS2", none);
    ASSERT_TRUE(generated) << Err().Description;
    EXPECT_TRUE(generated->empty());
    EXPECT_EQ(CallsTo("updateChargeBreakdownStructure"), 1u);
}

TEST_F(KovaProjectDataTest, ScheduleIsWrittenPerElement) {
    auto des = std::make_shared<KovaCE>();
    des->CECode = " DES ";
    des->StartDate = At(2024, 5, 6, 8);
    des->FinishDate = At(2024, 5, 9, 17);
    des->ActualStart = At(2024, 5, 6, 9);
    des->PercentComplete = 40;
    auto ms2 = std::make_shared<KovaCE>();
    ms2->CECode = "MS2"; // no dates at all
    Collection<KovaCE> schedule{des, ms2};
    EXPECT_TRUE(data.updateScheduleInfo(connector, schedule));
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(CallsTo("releaseAll"), 0u);
    auto starts = erp.Control().CallsTo("setScheduledStartDate");
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_TRUE(strict::ToObject(starts[1].args[0].value).IsNothing()) << "a zero date travels as no date";

    auto db = erp.Open();
    EXPECT_EQ(
        CStr(db->Scalar("SELECT sched_start_ts || '/' || sched_finish_ts || '/' || actual_start_ts || '/' "
                        "|| percent_complete FROM charge_element WHERE ce_id = 'DES'")),
        "20240506080000/20240509170000/20240506090000/40.0");
    EXPECT_TRUE(db->Scalar("SELECT sched_start_ts FROM charge_element WHERE ce_id = 'MS2'").IsNull() ||
                db->Scalar("SELECT sched_start_ts FROM charge_element WHERE ce_id = 'MS2'").IsEmpty());
}

TEST_F(KovaProjectDataTest, RefusedScheduleGives800AndAFailingCallItsOwnNumber) {
    auto unknown = std::make_shared<KovaCE>();
    unknown->CECode = "NOPE";
    Collection<KovaCE> schedule{unknown};
    EXPECT_FALSE(data.updateScheduleInfo(connector, schedule));
    ExpectError(800, "The ChargeBreakdownstructure Schedule Could not be updated");

    erp.Control().ArmFault(Fault::Error(kCeManager, "updateSchedule", 70, 0,
                                        platform::middleware::MessageDescription("Locked")));
    EXPECT_FALSE(data.updateScheduleInfo(connector, schedule));
    ExpectError(170, "Locked\r\nThe ChargeBreakdownstructure Schedule Could not be updated");
}

// ---- external schedule link

TEST_F(KovaProjectDataTest, OwnershipIsReadForThisPlanFileOnly) {
    EXPECT_EQ(data.determineCHBSOwnership(connector), 2) << "Bridge is Bridge.mpp";
    EXPECT_EQ(data.Ownership, 2);
    EXPECT_EQ(data.eprj, "Bridge.mpp");

    data.ESProject = "Other";
    data.Ownership = 7;
    erp.Control().ClearCallLog();
    EXPECT_EQ(data.determineCHBSOwnership(connector), -1);
    EXPECT_EQ(data.Ownership, 7);
    EXPECT_EQ(CallsTo("releaseAll"), 0u);
    EXPECT_TRUE(CurrentManager.IsNothing());

    data.ConnectedCE = "DES";
    EXPECT_EQ(data.determineCHBSOwnership(connector), 0) << "no link";
    EXPECT_EQ(data.Ownership, 0);
    EXPECT_EQ(Err().Number, 0);

    erp.Control().ArmFault(Fault::Error(kLinkManager, "showExternalScheduleLink", 70, 0,
                                        platform::middleware::MessageDescription("Down")));
    data.Ownership = 7;
    EXPECT_EQ(data.determineCHBSOwnership(connector), 0);
    ExpectError(170, "Down", "Kova Data Acess Objects");
    EXPECT_EQ(data.Ownership, 7);
}

TEST_F(KovaProjectDataTest, OwnershipIsChangedInTheLink) {
    data.updateCHBSOwnershipInKova(connector, 3);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(data.Ownership, 0) << "not updated by this method";
    EXPECT_EQ(data.determineCHBSOwnership(connector), 3);

    data.ConnectedCE = "DES";
    data.updateCHBSOwnershipInKova(connector, 4);
    ExpectError(191, "The Ownership Information could not be updated in Kova.");

    data.ConnectedCE = "TOP";
    erp.Control().ArmFault(Fault::Error(kLinkManager, "synchronize", kNegative, 1));
    data.updateCHBSOwnershipInKova(connector, 4);
    ExpectError(kNegative + 100, "The Ownership Information could not be updated in Kova.");

    erp.Control().ArmFault(Fault::Error(kLinkManager, "showExternalScheduleLink", 70, 0));
    erp.Control().ClearCallLog();
    data.updateCHBSOwnershipInKova(connector, 4);
    EXPECT_EQ(Err().Number, 70) << "the middleware's failure as it is";
    EXPECT_EQ(CallsTo("releaseAll"), 0u);
}

TEST_F(KovaProjectDataTest, ConnectAndDisconnectRoundTrip) {
    data.updateConnectionInfoInKova(connector, " BRIDGE ", " ALT ", "", 1, " Alt.mpp ");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(data.ProjectCode, "BRIDGE");
    EXPECT_EQ(data.Plan, "ALT");
    EXPECT_EQ(data.ConnectedCE, "");
    EXPECT_EQ(data.Ownership, 1);

    data.ESProject = "Alt";
    EXPECT_EQ(data.determineCHBSOwnership(connector), 1);
    EXPECT_EQ(data.eprj, "Alt.mpp") << "stored trimmed";

    // A second link for the same plan, or one that overlaps another link, is refused.
    data.updateConnectionInfoInKova(connector, "BRIDGE", "ALT", "", 2, "Second.mpp");
    EXPECT_EQ(Err().Number, platform::middleware::failures::Refused + 100);
    EXPECT_EQ(Err().Description, "Connection Could not be established for the ESP Project.");
    data.updateConnectionInfoInKova(connector, "BRIDGE", "MAIN", "DES", 2, "Second.mpp");
    EXPECT_EQ(Err().Number, platform::middleware::failures::Refused + 100);

    data.disconnectKovaProject(connector, "Other.mpp");
    EXPECT_FALSE(data.Valid_Project);
    EXPECT_EQ(data.determineCHBSOwnership(connector), 1) << "another file's link stays";

    data.disconnectKovaProject(connector, "Alt");
    EXPECT_TRUE(data.Valid_Project);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(data.determineCHBSOwnership(connector), 0) << "removed";

    data.disconnectKovaProject(connector, "Alt");
    EXPECT_TRUE(data.Valid_Project) << "no link at all";
    EXPECT_EQ(Err().Number, 0);

    erp.Control().ArmFault(Fault::Error(kLinkManager, "showExternalScheduleLink", 70, 0,
                                        platform::middleware::MessageDescription("Down")));
    data.disconnectKovaProject(connector, "Alt");
    ExpectError(170, "The ExternalScheduleLink could not be Removed for the ESP Project.\r\nDown");
}

TEST_F(KovaProjectDataTest, PlanFileNamesAreEqualWithOrWithoutTheMppEnding) {
    struct Case {
        const char* kova;
        const char* ms;
        bool equal;
    } cases[] = {
        {"Bridge", "Bridge", true},
        {"Bridge.mpp", "Bridge", true},
        {"Bridge", "Bridge.mpp", true},
        {"Bridge.MPP", "Bridge", false},
        {"Bridge", "Bridge.MPP", false},
        {"Bridge.mpp", "Depot", false},
        {"Bridge", "Depot.mpp", false},
        {"", "", true},
        {"", ".mpp", true},
        {".mpp", "", true},
        {"mpp", "", false},
        {"bridge", "Bridge", false},
    };
    for (const auto& c : cases) {
        std::string kova = c.kova, ms = c.ms;
        EXPECT_EQ(data.Projects_are_Equal(kova, ms), c.equal) << c.kova << " / " << c.ms;
    }
}

TEST_F(KovaProjectDataTest, TheRegisteredClassAnswersByName) {
    RegisterKovaDataObjects();
    Object project = CreateObject("KovaDataObjects.KovaProjectData");
    ASSERT_FALSE(project.IsNothing()) << Err().Description;
    Let(project, "ProjectCode", "BRIDGE");
    Let(project, "Plan", "MAIN");
    Let(project, "ConnectedCE", "TOP");
    Let(project, "ESProject", "Bridge.mpp");
    EXPECT_EQ(Call(project, "determineCHBSOwnership", {ByVal("DEMO")}), Variant(int32_t(2)));
    EXPECT_EQ(Get(project, "Ownership"), Variant(int32_t(2)));
    Variant number = int32_t(0);
    Call(project, "saveKovaBaseline",
         {ByVal("DEMO"), ByVal(int32_t(1)), ByVal(int32_t(0)), ByVal(int32_t(0)), ByVal(int32_t(0)),
          ByVal("New"), ByRef(number)});
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(number, Variant(int32_t(3)));
    EXPECT_EQ(Call(project, "Projects_are_Equal", {ByVal("A.mpp"), ByVal("A")}), Variant(true));
}

// ---- the failures every method reports

TEST_F(KovaProjectDataTest, FailuresAreRaisedWithTheirFixedTexts) {
    Collection<KovaCE> none;
    int32_t number = 0;
    struct Case {
        const char* name;
        std::function<void(TestBackend&)> arrange;
        std::function<void(KovaProjectData&, std::string&)> act;
        int32_t number;
        const char* description;
    } cases[] = {
        {"project manager / header", [](TestBackend& e) { e.Control().UnregisterProgId(kProjectManager); },
         [](KovaProjectData& d, std::string& c) { d.getProjectInfo(c); }, kCannotCreate,
         "ProjectManager Object could not be created"},
        {"project manager / leading", [](TestBackend& e) { e.Control().UnregisterProgId(kProjectManager); },
         [](KovaProjectData& d, std::string& c) { EXPECT_FALSE(d.checkPlanIsLeading(c)); }, kCannotCreate,
         "ProjectManager Object could not be created"},
        {"plan manager / plans", [](TestBackend& e) { e.Control().UnregisterProgId(kPlanManager); },
         [](KovaProjectData& d, std::string& c) { EXPECT_FALSE(d.getProjectPlans(c)); }, kCannotCreate,
         "PlanManager Object could not be created"},
        {"plan manager / top", [](TestBackend& e) { e.Control().UnregisterProgId(kPlanManager); },
         [](KovaProjectData& d, std::string&) { EXPECT_EQ(d.getTopCEForPlan("DEMO"), ""); }, kCannotCreate,
         "PlanManager Object could not be created"},
        {"plan list", [](TestBackend& e) { e.Control().ArmFault(Fault::Error(kPlanManager, "List", 70)); },
         [](KovaProjectData& d, std::string& c) { EXPECT_FALSE(d.getProjectPlans(c)); }, 170,
         "PlanList could not be created"},
        {"unknown plan / top", [](TestBackend&) {},
         [](KovaProjectData& d, std::string&) {
             d.Plan = "NOPE";
             EXPECT_EQ(d.getTopCEForPlan("DEMO"), "");
         },
         platform::middleware::failures::NotFound + 100, "Error Retrieving the Top CE for the Plan"},
        {"baseline manager / list", [](TestBackend& e) { e.Control().UnregisterProgId(kBaselineManager); },
         [](KovaProjectData& d, std::string& c) { EXPECT_FALSE(d.getKovaBaselines(c, 1)); }, kCannotCreate,
         "baseLineManager Object could not be created"},
        {"baseline manager / save", [](TestBackend& e) { e.Control().UnregisterProgId(kBaselineManager); },
         [&](KovaProjectData& d, std::string& c) { d.saveKovaBaseline(c, 1, 0, 0, 0, "x", number); },
         kCannotCreate, "baseLineManager Object could not be created"},
        {"baseline list",
         [](TestBackend& e) { e.Control().ArmFault(Fault::Error(kBaselineManager, "List", 70)); },
         [](KovaProjectData& d, std::string& c) { EXPECT_FALSE(d.getKovaBaselines(c, 1)); }, 170,
         "BaselineList could not be created"},
        {"negative change failure",
         [](TestBackend& e) {
             e.Control().ArmFault(Fault::Error(kBaselineManager, "changeBaseline", kNegative));
         },
         [&](KovaProjectData& d, std::string& c) { d.saveKovaBaseline(c, 2, 0, 0, 2, "", number); },
         kNegative + 100, "Baseline could not be created\r\nApplication-defined or object-defined error"},
        {"ce manager / read", [](TestBackend& e) { e.Control().UnregisterProgId(kCeManager); },
         [](KovaProjectData& d, std::string& c) {
             d.getChBSFromKova(c, "TOP");
             EXPECT_FALSE(d.ChargeElements);
         },
         kCannotCreate, "ChargeElement Manager Object could not be created"},
        {"ce manager / send", [](TestBackend& e) { e.Control().UnregisterProgId(kCeManager); },
         [&](KovaProjectData& d, std::string& c) { EXPECT_FALSE(d.updateChBSInKova(c, "TOP", none)); },
         kCannotCreate, "ChargeElement Manager Object could not be created"},
        {"ce manager / schedule", [](TestBackend& e) { e.Control().UnregisterProgId(kCeManager); },
         [&](KovaProjectData& d, std::string& c) { EXPECT_FALSE(d.updateScheduleInfo(c, none)); },
         kCannotCreate, "ChargeElement Manager Object could not be created"},
        {"structure page",
         [](TestBackend& e) {
             e.Control().ArmFault(Fault::Error(kCeManager, "updateChargeBreakdownStructure", 70, 0,
                                               "MessageCode= E42, ActionType= x, Error: Busy, FieldName= y"));
         },
         [&](KovaProjectData& d, std::string& c) { EXPECT_FALSE(d.updateChBSInKova(c, "TOP", none)); }, 170,
         "   E42: Busy\r\nUpdateChargeBreakdownStructure failed."},
        {"failing setter before the structure request",
         [](TestBackend& e) { e.Control().ArmFault(Fault::Error(kCeElement, "setOBSElementID", 13)); },
         [](KovaProjectData& d, std::string& c) {
             Collection<KovaCE> one{Sent(1, "NEW", 4, "MS2")};
             EXPECT_FALSE(d.updateChBSInKova(c, "MS2", one));
         },
         113, "Type mismatch\r\nUpdateChargeBreakdownStructure failed."},
        {"failing setter before the schedule request",
         [](TestBackend& e) { e.Control().ArmFault(Fault::Error(kCeElement, "setPercentageComplete", 13)); },
         [](KovaProjectData& d, std::string& c) {
             auto des = std::make_shared<KovaCE>();
             des->CECode = "DES";
             Collection<KovaCE> one{des};
             EXPECT_FALSE(d.updateScheduleInfo(c, one));
         },
         113, "Type mismatch\r\nThe ChargeBreakdownstructure Schedule Could not be updated"},
        {"link manager / connect", [](TestBackend& e) { e.Control().UnregisterProgId(kLinkManager); },
         [](KovaProjectData& d, std::string& c) {
             d.updateConnectionInfoInKova(c, "BRIDGE", "ALT", "", 1, "A");
         },
         kCannotCreate, "ExternalScheduleLinkManager Object could not be created"},
        {"link manager / ownership", [](TestBackend& e) { e.Control().UnregisterProgId(kLinkManager); },
         [](KovaProjectData& d, std::string& c) { EXPECT_EQ(d.determineCHBSOwnership(c), 0); }, kCannotCreate,
         "ExternalScheduleLinkManager Object could not be created"},
        {"link manager / change", [](TestBackend& e) { e.Control().UnregisterProgId(kLinkManager); },
         [](KovaProjectData& d, std::string& c) { d.updateCHBSOwnershipInKova(c, 1); }, kCannotCreate,
         "ExternalScheduleLinkManager Object could not be created"},
        {"link manager / disconnect", [](TestBackend& e) { e.Control().UnregisterProgId(kLinkManager); },
         [](KovaProjectData& d, std::string& c) { d.disconnectKovaProject(c, "Bridge"); }, kCannotCreate,
         "ExternalScheduleLinkManager Object could not be created"},
    };
    for (const auto& c : cases) {
        erp.Control().Reset();
        KovaProjectData fresh;
        fresh.ProjectCode = "BRIDGE";
        fresh.Plan = "MAIN";
        fresh.ConnectedCE = "TOP";
        fresh.ESProject = "Bridge";
        c.arrange(erp);
        c.act(fresh, connector);
        EXPECT_EQ(Err().Number, c.number) << c.name << ": " << Err().Description;
        EXPECT_EQ(Err().Description, c.description) << c.name;
        EXPECT_EQ(Err().Source, kSource) << c.name;
        EXPECT_TRUE(CurrentManager.IsNothing()) << c.name;
        EXPECT_TRUE(CurrentList.IsNothing()) << c.name;
    }
}

// What the ERP sees: the wire-level details of every exchange (argument values, types, by-reference
// flags, page sizes), read from the middleware's call log.
TEST_F(KovaProjectDataTest, TheCallLogShowsWhatTheErpIsSent) {
    data.getKovaBaselines(connector, 1);
    data.getChBSFromKova(connector, "TOP");
    auto sent = Sent(1, "NEW", 4, "MS2", " DESIGN ");
    sent->OBSelement = " ENG ";
    Collection<KovaCE> structure{sent};
    data.updateChBSInKova(connector, "MS2", structure);
    auto des = std::make_shared<KovaCE>();
    des->CECode = "DES";
    des->PercentComplete = 40;
    Collection<KovaCE> schedule{des};
    data.updateScheduleInfo(connector, schedule);
    std::vector<std::string> seen;
    for (const auto& call : erp.Control().Calls())
        for (const char* member : {"List", "getChargeBreakdownStructure", "updateChargeBreakdownStructure",
                                   "setDerivedFromStandardChargeElement", "setOBSElementID",
                                   "setPercentageComplete", "updateSchedule"})
            if (call.member == member) seen.push_back(call.Describe());
    EXPECT_EQ(seen,
              (std::vector<std::string>{
                  R"(Baseline.BaselineManager.List("BRIDGE" String, 0 Integer, 999 Integer))",
                  R"(ChargeElement.ChargeElementManager.getChargeBreakdownStructure(ByRef "BRIDGE" String, )"
                  R"(ByRef "MAIN" String, ByRef "TOP" String, 500 Integer, ByRef 0 Long, ByRef "N" String))",
                  R"(ChargeElement.ChargeElement.setDerivedFromStandardChargeElement("DESIGN" String))",
                  R"(ChargeElement.ChargeElement.setOBSElementID("ENG" String))",
                  R"(ChargeElement.ChargeElement.setDerivedFromStandardChargeElement(" DESIGN " String))",
                  R"(ChargeElement.ChargeElementManager.updateChargeBreakdownStructure(ByRef "BRIDGE" String, )"
                  R"(ByRef "MAIN" String, ByRef "MS2" String, ByRef <object> Object, 1000 Integer, )"
                  R"(ByRef 0 Long, ByRef "N" String))",
                  R"(ChargeElement.ChargeElement.setPercentageComplete(40 Double))",
                  R"(ChargeElement.ChargeElementManager.updateSchedule(ByRef "BRIDGE" String, )"
                  R"(ByRef "MAIN" String, ByRef "TOP" String, ByRef <object> Object))"}));
}
