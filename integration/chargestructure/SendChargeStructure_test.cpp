#include "integration/chargestructure/SendChargeStructure.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "integration/chargestructure/ChargeElementFile.h"
#include "integration/chargestructure/ChargeElements.h"
#include "integration/chargestructure/ChargeStructureTestSupport.h"
#include "integration/core/PlanLayoutTestSupport.h"
#include "integration/chargestructure/ChargeStructureTransfer.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/Database.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
using namespace platform::forms;
using platform::automation::CStr;
using platform::automation::Err;
using ::testing::HasSubstr;
using ::testing::Not;
namespace st = steps;

// The plan holds the ERP's structure of BR (see the fixture), taken in by the first transfer.
class SendStructureTest : public test::StructureFixture {
protected:
    void SetUp() override {
        StructureFixture::SetUp();
        TransferChargeStructureToProject();
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }
    void TearDown() override {
        SortTasksOnChargeElementCodeStep() = nullptr;
        ChargeElements() = {};
        StructureFixture::TearDown();
    }
    msp::Task WithCode(const std::string& code) {
        msp::Tasks tasks = Plan().Tasks();
        for (int32_t r = 1; r <= tasks.Count(); ++r)
            if (msp::Task t = tasks.Item(r); t && t.Text(1) == code) return t;
        return {};
    }
    // A charge element the user added in the plan, not yet known to the ERP.
    msp::Task AddNew(const std::string& code, const std::string& name, const std::string& type,
                     const std::string& parent, const std::string& standard = {}) {
        msp::Task t = Plan().Tasks().Add(name);
        t.SetFlag(3, true);
        t.SetText(1, code);
        t.SetText(10, type);
        t.SetText(15, parent);
        t.SetText(9, standard);
        return t;
    }
    void Send(std::vector<Step> script = {}) {
        ScriptedUser user(std::move(script));
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        SendChargeStructureToKova("BR");
        EXPECT_TRUE(user.Finish());
    }
    std::unique_ptr<platform::middleware::Database> erp_db() { return erp.Open(); }
    // The ERP's structure below BR now: code -> (description, parent).
    std::map<std::string, std::pair<std::string, std::string>> ErpStructure() {
        KovaDataObjects::KovaProjectData data;
        data.ProjectCode = "BRIDGE";
        data.Plan = "MAIN";
        data.getChBSFromKova(BOIConnector, "BR");
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        std::map<std::string, std::pair<std::string, std::string>> out;
        if (data.ChargeElements)
            for (const auto& ce : *data.ChargeElements)
                out[KovaDataObjects::Trim(ce->CECode)] = {ce->CEDescription,
                                                          KovaDataObjects::Trim(ce->CEParent)};
        return out;
    }
};

TEST_F(SendStructureTest, NewAndCodedTasksReachTheErpAndGeneratedCodesComeBack) {
    msp::Task coded = AddNew("BR13", "Site survey", kWorkPackage, "BR10");
    msp::Task derived = AddNew("", "Scaffolding", kWorkPackage, "BR20", "WP.SCAF . Scaffolding works");
    AddNew("BRM3", "Foundations done", kMilestone, "BR21");
    // Deleting a work package takes its milestone (linked to it) along.
    WithCode("BR11").SetFlag(4, true);

    Send();
    EXPECT_EQ(Err().Number, 0) << Err().Description;

    const std::string generated = derived.Text(1);
    EXPECT_FALSE(generated.empty());
    auto erp = ErpStructure();
    ASSERT_TRUE(erp.count("BR13"));
    EXPECT_EQ(erp["BR13"], std::make_pair(std::string("Site survey"), std::string("BR10")));
    ASSERT_TRUE(erp.count(generated)) << generated;
    EXPECT_EQ(erp[generated], std::make_pair(std::string("Scaffolding"), std::string("BR20")));
    EXPECT_FALSE(erp.count("BR11"));
    EXPECT_FALSE(erp.count("BRM1"));
    EXPECT_TRUE(erp.count("BR12"));
    // A work package with a milestone below it is measured by that milestone.
    auto earnedByMilestone = [&](const std::string& code) {
        return platform::automation::CLng(erp_db()->Scalar(
            "SELECT ev_as_milestone FROM charge_element WHERE trim(ce_id, ' ') = ?", {code}));
    };
    EXPECT_EQ(earnedByMilestone("BR21"), 1);
    EXPECT_EQ(earnedByMilestone("BR12"), 0);

    EXPECT_TRUE(WithCode("BR11").IsNothing());
    EXPECT_TRUE(WithCode("BRM1").IsNothing());
    EXPECT_TRUE(coded.Flag(2));
    EXPECT_TRUE(derived.Flag(2));
    msp::Tasks tasks = Plan().Tasks();
    for (int32_t r = 1; r <= tasks.Count(); ++r) {
        msp::Task t = tasks.Item(r);
        if (t && t.Flag(3)) EXPECT_TRUE(t.Flag(2)) << t.Text(1);
    }
}

// The standard element an element was derived from goes with its creation only; the next send
// updates the element and must not take the derivation away from it.
TEST_F(SendStructureTest, ADerivedElementKeepsItsStandardElementOverLaterSends) {
    msp::Task derived = AddNew("", "Scaffolding", kWorkPackage, "BR20", "WP.SCAF . Scaffolding works");
    msp::Task coded = AddNew("BR13", "Site survey", kWorkPackage, "BR10", "WP.SURV . Survey");
    auto derivedFrom = [&](const std::string& code) {
        return CStr(erp_db()->Scalar(
            "SELECT derived_from_sce FROM charge_element WHERE trim(ce_id, ' ') = ?", {code}));
    };
    Send();
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    const std::string generated = derived.Text(1);
    ASSERT_FALSE(generated.empty());
    EXPECT_EQ(derivedFrom(generated), "SCAF");
    EXPECT_EQ(derivedFrom("BR13"), "SURV");
    EXPECT_EQ(derivedFrom("BR12"), "");
    coded.SetName("Site survey and soil tests");
    Send();
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(derivedFrom(generated), "SCAF");
    EXPECT_EQ(derivedFrom("BR13"), "SURV");
    EXPECT_EQ(ErpStructure()["BR13"].first, "Site survey and soil tests");
}

TEST_F(SendStructureTest, ARefusalIsShownOnceLoggedAndLeavesThePlanAsItWas) {
    // The ERP holds costs for BR12: its deletion refuses the whole structure.
    erp.Open()->Run("UPDATE charge_element SET has_costs = 1 WHERE trim(ce_id, ' ') = 'BR12'", {});
    msp::Task derived = AddNew("", "Scaffolding", kWorkPackage, "BR20", "WP.SCAF . Scaffolding works");
    WithCode("BR12").SetFlag(4, true);

    Send({st::Answer(vbOK, kChargeStructureSendFailed)});
    EXPECT_EQ(Err().Number, 0);

    EXPECT_FALSE(WithCode("BR12").IsNothing());
    EXPECT_TRUE(derived.Text(1).empty());
    EXPECT_FALSE(derived.Flag(2));
    EXPECT_TRUE(ErpStructure().count("BR12"));
    const std::string log = LogText();
    EXPECT_THAT(log, HasSubstr("Failed for these Charge Elements"));
    EXPECT_THAT(log, HasSubstr("BR12, Permits"));
}

TEST_F(SendStructureTest, AMarkedTaskBelowABlankRowIsRemovedToo) {
    msp::Task last = AddNew("BR13", "Site survey", kWorkPackage, "BR10");
    app->SelectRow(last.Id(), false);
    app->EditInsert();
    last.SetFlag(4, true);
    const int32_t rows = Plan().Tasks().Count();

    Send();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_TRUE(WithCode("BR13").IsNothing());
    EXPECT_EQ(Plan().Tasks().Count(), rows - 1);
}

TEST_F(SendStructureTest, GeneratedCodesLandInTheirTasksAndTheTopOneBecomesTheConnectionNode) {
    const int32_t top = GetTopChargeElementTaskId();
    ASSERT_EQ(Plan().Tasks().Item(top).Text(1), "BR");
    msp::Task permits = WithCode("BR12");
    KovaDataObjects::Collection<KovaDataObjects::KovaData> codes;
    for (auto [number, code] : {std::pair{permits.Id(), "BR99"}, std::pair{top, "BRX"}}) {
        auto d = std::make_shared<KovaDataObjects::KovaData>();
        d->Number = number;
        d->Code = code;
        codes.push_back(d);
    }
    ApplyGeneratedChargeElementCodes(codes);
    EXPECT_EQ(permits.Text(1), "BR99");
    EXPECT_EQ(Plan().Tasks().Item(top).Text(1), "BRX");
    EXPECT_EQ(CStr(Plan().CustomDocumentProperties().Item("KovaConnectionNode").Value()), "BRX");
}

TEST_F(SendStructureTest, APlanWithoutChargeElementsSendsNothing) {
    msp::Tasks tasks = Plan().Tasks();
    for (int32_t r = 1; r <= tasks.Count(); ++r)
        if (msp::Task t = tasks.Item(r)) t.SetFlag(3, false);
    Send();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(ErpStructure().size(), 8u);
}

class SendStructureLayoutTest : public SendStructureTest, public ::testing::WithParamInterface<test::PlanLayout> {};

TEST_P(SendStructureLayoutTest, TheGeneratedCodeAndTheInKovaMarkLandOnTheTasksSent) {
    msp::Task derived = AddNew("", "Scaffolding", kWorkPackage, "BR20", "WP.SCAF . Scaffolding works");
    // A budget-line subtask below an element: no charge element, never marked as in the ERP.
    msp::Task line = Plan().Tasks().Add("Steel beams HEB 400", WithCode("BR20").Id());
    line.OutlineIndent();
    line.SetText(3, "MAT.STEEL");
    test::ApplyPlanLayout(*app, GetParam(), "BR20", {"BR10", "BR20"});
    const std::string permitsCode = WithCode("BR12").Text(1);

    Send();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    const std::string generated = derived.Text(1);
    ASSERT_FALSE(generated.empty());
    EXPECT_TRUE(derived.Flag(2));
    EXPECT_EQ(WithCode("BR12").Name(), "Permits");
    EXPECT_EQ(permitsCode, "BR12");
    for (const msp::Task& t : Plan().Tasks().Snapshot())
        if (t && !t.Flag(3)) EXPECT_FALSE(t.Flag(2)) << t.Name();

    // The next send keeps the element the ERP made: the same code, no new one.
    Send();
    EXPECT_EQ(derived.Text(1), generated);
    auto erpNow = ErpStructure();
    EXPECT_TRUE(erpNow.count(generated));
    EXPECT_EQ(erpNow.size(), 9u);
    EXPECT_THAT(LogText(), Not(HasSubstr("FAILURE")));
}

INSTANTIATE_TEST_SUITE_P(Layouts, SendStructureLayoutTest, ::testing::ValuesIn(test::kPlanLayouts),
                         test::PlanLayoutName);

} // namespace
} // namespace Grantry
