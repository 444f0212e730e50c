#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "dataobjects/ClassRegistration.h"
#include "integration/chargestructure/frmChargeElement.h"
#include "integration/connect/ConnectTestSupport.h"
#include "integration/connect/frmConnectProject.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"

namespace Grantry {
namespace {

using namespace platform::forms;
using platform::automation::Err;
namespace st = steps;

constexpr char kSeed[] = R"({
  "company": {"number": 7},
  "planningParameters": {"dateTypeForScheduling": 2, "currency": "NOK", "defaultAvailabilityType": "STANDARD"},
  "availabilityTypes": [{"code": "STANDARD"}],
  "projects": [
    {"id": "BRIDGE", "description": "Lasse bridge", "leadingPlan": "MAIN",
     "plans": [
       {"id": "MAIN", "topChargeElement": "TOP",
        "chargeElements": [{"id": "TOP", "description": "Bridge", "type": 1},
                           {"id": "DES", "description": "Design", "type": 4, "parent": "TOP"},
                           {"id": "BLD", "type": 4, "parent": "TOP", "connectable": 2}]}]}]
})";

// Notes the connect dialog's node box each time the dialog waits for the user.
class NodeWatcher : public ScriptedUser {
public:
    using ScriptedUser::ScriptedUser;
    std::vector<std::string> nodes;
    std::vector<std::string> chooserKeys; // the chooser's tree, when it first waits
    UserAction NextAction(Form& form) override {
        if (form.Name() == "frmConnectProject")
            nodes.push_back(static_cast<frmConnectProject&>(form).txtConnectionNode.Text());
        if (form.Name() == "frmChargeElement" && chooserKeys.empty())
            for (Node* node : static_cast<frmChargeElement&>(form).treChargeElements.Nodes().InDisplayOrder())
                chooserKeys.push_back(node->Key());
        return ScriptedUser::NextAction(form);
    }
};

class ConnectionNodeButton : public test::ConnectFixture {
protected:
    ConnectionNodeButton() : ConnectFixture(kSeed) {}
    void SetUp() override {
        ConnectFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        ASSERT_TRUE(OpenKovaConnection()) << Err().Description;
        CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
        OpenLog();
        Err().Clear();
        frmConnectProject::ConnectRun = nullptr;
    }
    void TearDown() override {
        DiscardAllForms();
        ConnectFixture::TearDown();
    }
    void Run(NodeWatcher& user) {
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        DefaultInstance<frmConnectProject>().Show(vbModal);
        EXPECT_TRUE(user.Finish());
    }
};

TEST_F(ConnectionNodeButton, AConfirmedNodeLandsInTheNodeBoxAndTheProjectData) {
    NodeWatcher user({st::Click("frmConnectProject.cmdConnectionNode"),
                      st::PickNode("frmChargeElement.treChargeElements", "E.DES."),
                      st::Click("frmChargeElement.cmdOK"),
                      st::Answer(vbOK, "Connect MsProject to Charge Element\r\n\r\nDES"),
                      st::Click("frmConnectProject.cmdCancel")});
    Run(user);
    EXPECT_THAT(user.chooserKeys, ::testing::ElementsAre("E.TOP.", "E.DES.", "E.BLD."));
    EXPECT_THAT(user.nodes, ::testing::ElementsAre("TOP", "DES"));
    EXPECT_EQ(CurrentProjectData->TopCE, "DES");
    EXPECT_FALSE(IsFormLoaded<frmChargeElement>());
    // The plan check after the chooser keeps the chosen node instead of fetching the top one again.
    EXPECT_EQ(user.transcript().Boxes().size(), 1u);
}

TEST_F(ConnectionNodeButton, RefusedOrCancelledChoicesKeepTheNode) {
    NodeWatcher user(
        {st::Click("frmConnectProject.cmdConnectionNode"),
         st::PickNode("frmChargeElement.treChargeElements", "E.BLD."), st::Click("frmChargeElement.cmdOK"),
         st::AnswerContaining(vbOK, "A Connection cannot be made to the selected Charge Element : BLD"),
         st::Click("frmChargeElement.cmdCancel"), st::Click("frmConnectProject.cmdCancel")});
    Run(user);
    EXPECT_THAT(user.nodes, ::testing::ElementsAre("TOP", "TOP"));
    EXPECT_EQ(CurrentProjectData->TopCE, "TOP");
    EXPECT_FALSE(IsFormLoaded<frmChargeElement>());
}

} // namespace
} // namespace Grantry
