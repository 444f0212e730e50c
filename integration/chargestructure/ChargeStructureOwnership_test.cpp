#include "integration/chargestructure/ChargeStructureOwnership.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "integration/chargestructure/ChargeStructureTestSupport.h"
#include "platform/automation/Variant.h"
#include "platform/forms/ScriptedUser.h"

namespace Grantry {
namespace {

using namespace platform::forms;
using platform::automation::Variant;
using ::testing::HasSubstr;

struct OwnershipCase {
    const char* name;
    int32_t plan;                 // OwnershipChBSAndBudgQty
    std::optional<int32_t> link;  // the ERP link's ownership; none: no link
    const char* linkFile;         // the plan file the link was made from
    std::optional<int32_t> answer;  // the answer to the confirmation; none: nothing is asked
    const char* refusal;          // the refusal shown, or nullptr
    bool result;
    int32_t planAfter;
    std::optional<int32_t> linkAfter;
    const char* logLine;          // a line the log must hold, or nullptr
};

class OwnershipTest : public test::StructureFixture, public ::testing::WithParamInterface<OwnershipCase> {
protected:
    void SetUp() override {
        StructureFixture::SetUp();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
    }
    int32_t PlanOwnership() {
        return platform::automation::CLng(
            Plan().CustomDocumentProperties().Item("OwnershipChBSAndBudgQty").Value());
    }
    std::optional<int32_t> LinkOwnership() {
        Variant v = erp.Open()->Scalar(
            "SELECT ownership FROM external_schedule_link WHERE project_id = 'BRIDGE' AND plan_id = 'MAIN'");
        if (v.IsEmpty()) return std::nullopt;
        return platform::automation::CLng(v);
    }
    ScriptedUser user;
    ScopedUser on{user};
};

TEST_P(OwnershipTest, SettlesTheOwnershipOrRefuses) {
    const OwnershipCase& c = GetParam();
    Plan().CustomDocumentProperties().Item("OwnershipChBSAndBudgQty").SetValue(Variant(c.plan));
    if (c.link)
        erp.Open()->Run("INSERT INTO external_schedule_link(project_id, plan_id, ce_id, ownership, "
                        "external_schedule) VALUES ('BRIDGE', 'MAIN', 'BR', ?, ?)",
                        {*c.link, std::string(c.linkFile)});
    if (c.answer) {
        const bool toKova = c.plan == 3 || (c.plan != 4 && c.link == 3);
        user.Add(steps::Answer(*c.answer, toKova ? ConfirmOwnershipToKova() : ConfirmOwnershipToProject()));
    }
    if (c.refusal) user.Add(steps::Answer(vbOK, c.refusal));

    EXPECT_EQ(DetermineChargeStructureOwnership(), c.result);
    EXPECT_TRUE(user.Finish());
    EXPECT_EQ(PlanOwnership(), c.planAfter);
    EXPECT_EQ(LinkOwnership(), c.linkAfter);
    const std::string log = LogText();
    if (c.logLine) EXPECT_THAT(log, HasSubstr(std::string(c.logLine) + "\r\n"));
    else EXPECT_EQ(log, "");
}

TEST(OwnershipTexts, TheConfirmationsAsTheUserReadsThem) {
    EXPECT_EQ(ConfirmOwnershipToKova(),
              "Changes to ChBS and Budget Line quantities in Microsoft Project will be lost since the ownership "
              "is being set to Kova. \r\n\r\nProceed with synchronization");
    EXPECT_EQ(ConfirmOwnershipToProject(),
              "Changes to ChBS and Budget Line quantities in Kova will be lost since the ownership is being set "
              "to Microsoft Project. \r\n\r\nProceed with synchronization");
}

TEST_F(OwnershipTest, AFailedReadOfTheLinkStopsTheRun) {
    Plan().CustomDocumentProperties().Item("OwnershipChBSAndBudgQty").SetValue(Variant(int32_t(1)));
    erp.Control().ArmFault(platform::middleware::Fault::Error("*", "showExternalScheduleLink", 9, 0,
                                                              "Link table locked"));
    user.Add(steps::Answer(vbOK, kOwnershipErrorMessage));
    EXPECT_FALSE(DetermineChargeStructureOwnership());
    EXPECT_EQ(platform::automation::Err().Number, 0);
    EXPECT_TRUE(user.Finish());
    EXPECT_THAT(LogText(), HasSubstr("Link table locked"));
    EXPECT_EQ(PlanOwnership(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OwnershipTest,
    ::testing::Values(
        OwnershipCase{"PendingToKovaRefused", 3, 3, "Bridge.mpp", vbNo, nullptr, false, 3, 3, nullptr},
        OwnershipCase{"PendingToKovaConfirmed", 3, 3, "Bridge.mpp", vbYes, nullptr, true, 1, 1,
                      "Ownership transferred to Kova"},
        OwnershipCase{"PendingToProjectConfirmed", 4, 1, "Bridge.mpp", vbYes, nullptr, true, 2, 2,
                      "Ownership transferred to MsProject"},
        OwnershipCase{"LinkPendingToKova", 1, 3, "Bridge.mpp", vbYes, nullptr, true, 1, 1,
                      "Ownership transferred to Kova"},
        OwnershipCase{"Disagreement", 1, 2, "Bridge.mpp", std::nullopt,
                      "Ownership of Charge BreakdownStructure could not be determined", false, 1, 2, nullptr},
        OwnershipCase{"Agreement", 2, 2, "Bridge.mpp", std::nullopt, nullptr, true, 2, 2, nullptr},
        OwnershipCase{"NoLink", 1, std::nullopt, "", std::nullopt, nullptr, true, 1, std::nullopt, nullptr},
        OwnershipCase{"NothingInThePlan", 0, 1, "Bridge.mpp", std::nullopt, nullptr, true, 0, 1, nullptr},
        OwnershipCase{"NothingInThePlanTheErpSaysProject", 0, 2, "Bridge.mpp", std::nullopt, nullptr, true, 0,
                      2, nullptr},
        OwnershipCase{"ALinkRecordingNothing", 2, 0, "Bridge.mpp", std::nullopt, nullptr, true, 2, 0,
                      nullptr},
        OwnershipCase{"AnotherPlanFile", 1, 1, "Other.mpp", std::nullopt,
                      "The Current Project is not linked to Kova. The connection is made with Other.mpp", false,
                      1, 1, nullptr},
        // The ERP has no link to take the transfer: the run goes on, the transfer stays pending.
        OwnershipCase{"ConfirmedButRefusedByTheERP", 4, std::nullopt, "", vbYes, nullptr, true, 4,
                      std::nullopt, "   The Ownership Information could not be updated in Kova."}),
    [](const ::testing::TestParamInfo<OwnershipCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace Grantry
