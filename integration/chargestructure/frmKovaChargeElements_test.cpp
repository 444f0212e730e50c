#include "integration/chargestructure/frmKovaChargeElements.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "integration/chargestructure/ChargeElementEditingTestSupport.h"
#include "integration/chargestructure/StandardChargeElements.h"
#include "integration/core/KovaMSP.h"
#include "platform/forms/MsgBox.h"

namespace Grantry {
namespace {

using namespace platform::forms;
namespace msp = platform::msproject;
using platform::automation::Variant;
using ::testing::HasSubstr;
using ::testing::Not;
namespace st = steps;

constexpr char kCRLF[] = "\r\n";
const std::string kInsertQuestion = std::string("Insert a new Charge Element?") + kCRLF + kCRLF +
                                    "This action will also expand all the Outline levels in the Plan";
const std::string kNetworkQuestion = "Are you connected to your network?";
const std::string kMissingFile = std::string("Standard Charge Elements for Company 7 have not yet been ") +
                                 "transferred from Kova." + kCRLF + kCRLF + "Do you want to transfer them now?";

std::string Control(const char* name) {
    return std::string("frmKovaChargeElements.") + name;
}

class ChargeElementDialog : public test::EditingFixture {
protected:
    // A plan with a top element to insert under, selected.
    msp::Task WithTop() {
        msp::Task top = AddElement("Top", "T", "WBS Element", 1, true);
        Select(top);
        return top;
    }
    // The insert command, its question answered Yes; the dialog's steps follow.
    void ExpectInsert() { user.Add(st::Answer(vbYes, kInsertQuestion)); }
    void Insert() { KovaMSP().InsertChargeElement(); }
    std::string SceFile() const { return (erp.home() / "kova" / "Data" / "7.sce").string(); }
};

// A new element in a plan without elements: a milestone can only be a stand-alone one, which goes to
// row 1 of the plan at level 1 and is no top element.
TEST_F(ChargeElementDialog, AMilestoneInAnEmptyStructureIsStandAlone) {
    Plan().Tasks().Add("Own task");
    Select(Plan().Tasks().Item(1));
    ExpectInsert();
    user.Add(st::Answer(vbYes, "Insert a Top Charge Element?"));
    user.Add(st::Type(Control("txtChargeElementID"), "ms1"));
    user.Add(st::Type(Control("txtChargeElementDesc"), "Kick-off"));
    user.Add(st::Pick(Control("cmbChargeElementType"), "Milestone"));
    user.Add(st::Click(Control("cmdOK")));
    Insert();
    ASSERT_TRUE(Finish());
    EXPECT_THAT(Shown(), HasSubstr("chkStandalone: CheckBox \"Treat as Standalone Milestone\" [x] disabled"));
    EXPECT_EQ(Names(), "1:Kick-off 1:Own task ");
    msp::Task milestone = Plan().Tasks().Item(1);
    EXPECT_EQ(milestone.Text1(), "MS1");
    EXPECT_TRUE(milestone.Milestone());
    EXPECT_FALSE(milestone.Flag1());
    EXPECT_EQ(milestone.Text15(), "");
}

// An element the ERP knows opens with its code and derivation locked; in a connected plan its type
// cannot become a milestone.
TEST_F(ChargeElementDialog, AnElementTheErpKnowsIsLocked) {
    Connect();
    AddElement("Top", "T", "WBS Element", 1, true);
    msp::Task element = AddElement("Works", "W1", "Work Package", 2, true, "T");
    Select(element);
    user.Add(st::Pick(Control("cmbChargeElementType"), "Milestone"));
    user.Add(st::Answer(vbOK, std::string("The Charge BreakDown structure is already present in Kova. ") + kCRLF +
                                  "Hence, Charge Element Type cannot be changed to Milestone."));
    user.Add(st::Click(Control("cmdCancel")));
    user.Add(st::Answer(vbYes, "Are you sure you want to Cancel the operation?"));
    KovaMSP().ModifyChargeElementDetails();
    ASSERT_TRUE(Finish());
    const std::string shown = Shown();
    EXPECT_THAT(shown, HasSubstr("txtChargeElementID: TextBox \"W1\" disabled"));
    EXPECT_THAT(shown, HasSubstr("chkDerive: CheckBox \"Derive from Standard Charge Element of Company\" [ ] disabled"));
    EXPECT_THAT(shown, HasSubstr("txtParentChargeElement: TextBox \"T\" disabled"));
    EXPECT_THAT(shown, HasSubstr("cmbChargeElementType: ComboBox \"Work Package\""));
    EXPECT_EQ(element.Text10(), "Work Package");
    EXPECT_EQ(Names(), "1:Top 2:Works ") << "Cancel of a change deletes nothing";
}

// Without the company in the plan the dialog asks about the network; reachable, it connects, learns
// the company and fetches the missing catalogue. A chosen entry sets type and description, and the
// plan learns the company of the catalogue.
TEST_F(ChargeElementDialog, ADerivedElementFetchesTheCatalogueOverTheNetwork) {
    Plan().CustomDocumentProperties().Item("KovaCompany").Delete();
    WithTop();
    ExpectInsert();
    user.Add(st::Tick(Control("chkDerive")));
    user.Add(st::Answer(vbYes, kNetworkQuestion));
    user.Add(st::Focus(Control("cmbStandardChargeElement")));
    user.Add(st::Answer(vbYes, kMissingFile));
    user.Add(st::Pick(Control("cmbStandardChargeElement"), "PCA.ACC . Cost account"));
    user.Add(st::Click(Control("cmdOK")));
    Insert();
    ASSERT_TRUE(Finish());
    const std::string shown = Shown();
    EXPECT_THAT(shown, HasSubstr("StatusBar \"Verifying the network connection...\""));
    EXPECT_THAT(shown, HasSubstr("StatusBar \"Transferring Standard Charge Elements...\""));
    EXPECT_THAT(shown, HasSubstr("txtCompanyNumber: TextBox \"7\" disabled"));
    EXPECT_EQ(ReadStandardChargeElementEntries(SceFile()),
              (std::vector<std::string>{"PCA.ACC . Cost account", "WP.DES . Design"}));
    msp::Task added = Plan().Tasks().Item(2);
    EXPECT_EQ(added.Text9(), "PCA.ACC . Cost account");
    EXPECT_EQ(added.Text10(), "Project Cost Account");
    EXPECT_EQ(added.Name(), "Cost account");
    EXPECT_EQ(added.Text1(), "") << "the ERP gives the code later";
    EXPECT_EQ(platform::automation::CLng(Plan().CustomDocumentProperties().Item("KovaCompany").Value()), 7);
}

// No network: nothing is tried, the company stays unknown and the list gives the focus to the type.
// Yes with the ERP not reachable: a warning, and the same.
TEST_F(ChargeElementDialog, WithoutTheErpTheCatalogueIsNotOffered) {
    Plan().CustomDocumentProperties().Item("KovaCompany").Delete();
    erp.Config().started = false;
    erp.Save();
    WithTop();
    for (int32_t answer : {vbNo, vbYes}) {
        SCOPED_TRACE(answer);
        ExpectInsert();
        user.Add(st::Tick(Control("chkDerive")));
        user.Add(st::Answer(answer, kNetworkQuestion));
        if (answer == vbYes)
            user.Add(st::Answer(vbOK, std::string("A valid network connection was not found.") + kCRLF + kCRLF +
                                          "You can however  continue to work off-line"));
        user.Add(st::Focus(Control("cmbStandardChargeElement")));
        user.Add(st::Click(Control("cmdCancel")));
        user.Add(st::Answer(vbYes, "Are you sure you want to Cancel the operation?"));
        Insert();
        EXPECT_EQ(user.Remaining(), 0u);
    }
    ASSERT_TRUE(Finish());
    const std::string shown = Shown();
    EXPECT_THAT(shown, HasSubstr("cmbChargeElementType: ComboBox \"Work Package\" [\"WBS Element\", "
                                 "\"Project Cost Account\", \"Planning Package\", \"Work Package\", "
                                 "\"Milestone\"] focus"));
    EXPECT_THAT(shown, Not(HasSubstr("have not yet been transferred")));
    EXPECT_FALSE(std::filesystem::exists(SceFile()));
    EXPECT_EQ(Names(), "1:Top ");
}

// With the company in the plan no network is needed. A missing file not fetched leaves the list
// empty; a file without entries warns and sends the focus to the type.
TEST_F(ChargeElementDialog, TheCompanyOfThePlanNeedsNoNetwork) {
    SetProperty("KovaCompany", Variant(int32_t(7)));
    WithTop();
    ExpectInsert();
    user.Add(st::Tick(Control("chkDerive")));
    user.Add(st::Focus(Control("cmbStandardChargeElement")));
    user.Add(st::Answer(vbNo, kMissingFile));
    // Leaving the empty list gives up the derivation and sends the focus to the type.
    user.Add(st::Focus(Control("txtChargeElementDesc")));
    user.Add(st::Click(Control("cmdCancel")));
    user.Add(st::Answer(vbYes, "Are you sure you want to Cancel the operation?"));
    Insert();
    EXPECT_EQ(user.Remaining(), 0u);
    EXPECT_FALSE(std::filesystem::exists(SceFile()));

    // A transfer without a connection leaves a file of the end record only.
    TransferStandardChargeElements("7");
    ASSERT_TRUE(std::filesystem::exists(SceFile()));
    ExpectInsert();
    user.Add(st::Tick(Control("chkDerive")));
    user.Add(st::Focus(Control("cmbStandardChargeElement")));
    user.Add(st::Answer(vbOK, std::string("The Standard Charge Elements for the selected  company were not ") +
                                  "found." + kCRLF + kCRLF +
                                  "Please use the TransferSCE option when connected to the network for "
                                  "retrieving the same."));
    user.Add(st::Click(Control("cmdCancel")));
    user.Add(st::Answer(vbYes, "Are you sure you want to Cancel the operation?"));
    Insert();
    ASSERT_TRUE(Finish());
    EXPECT_THAT(Shown(), Not(HasSubstr(kNetworkQuestion)));
    EXPECT_THAT(Shown(), HasSubstr("txtCompanyNumber: TextBox \"7\" disabled"));
}

// The OBS list offers the plan's OBS file; a cost account stores only the code of its entry.
TEST_F(ChargeElementDialog, AnObsEntryStoresItsCode) {
    SetProperty("OBSCode", Variant(std::string("ORG")));
    WriteObsFile({{"ORG", "Organisation"}, {"ENG", "Engineering"}, {"X.Y", "End"}, {"AFTER", "Not shown"}});
    WithTop();
    ExpectInsert();
    user.Add(st::Type(Control("txtChargeElementID"), "A1"));
    user.Add(st::Pick(Control("cmbChargeElementType"), "Project Cost Account"));
    user.Add(st::Focus(Control("txtChargeElementDesc")));
    user.Add(st::Pick(Control("cmbOBSElements"), "ENG: Engineering"));
    user.Add(st::Click(Control("cmdOK")));
    Insert();
    ASSERT_TRUE(Finish());
    EXPECT_THAT(Shown(), HasSubstr("[\"ORG: Organisation\", \"ENG: Engineering\"]"));
    msp::Task added = Plan().Tasks().Item(2);
    EXPECT_EQ(added.Text12(), "ENG");
    EXPECT_EQ(added.Text15(), "T");
    EXPECT_EQ(added.OutlineLevel(), 2);
}

// A damaged OBS file lists only its whole records and says which file is damaged.
TEST_F(ChargeElementDialog, ADamagedObsFileListsNoJunkAndIsNamed) {
    SetProperty("OBSCode", Variant(std::string("ORG")));
    WriteObsFile({{"ORG", "Organisation"}, {"ENG", "Engineering"}, {"CONS", "Construction"}});
    DamageRecord(GetObsFilePath(), ObsElementRecord::kLength, 2);
    WithTop();
    ExpectInsert();
    user.Add(st::Answer(vbOK, "The file " + GetObsFilePath() +
                                  " is damaged: record 2 is not text. Its damaged records are left out; "
                                  "synchronize the master data to write it again."));
    user.Add(st::Click(Control("cmdCancel")));
    user.Add(st::Answer(vbYes, "Are you sure you want to Cancel the operation?"));
    Insert();
    ASSERT_TRUE(Finish());
    EXPECT_THAT(Shown(), HasSubstr("[\"ORG: Organisation\", \"CONS: Construction\"]"));
}

// A change shows the task's values; a refused one puts them back and keeps the dialog open.
TEST_F(ChargeElementDialog, ARefusedChangeRestoresTheTasksValues) {
    AddElement("Top", "T", "WBS Element", 1);
    AddElement("Other", "O1", "Work Package", 2, false, "T");
    msp::Task element = AddElement("Works", "W1", "Work Package", 2, false, "T");
    Select(element);
    user.Add(st::Type(Control("txtChargeElementID"), "o1"));
    user.Add(st::Click(Control("cmdOK")));
    user.Add(st::Answer(vbOK, "Another Charge Element has already beenassigned the ID requested"));
    user.Add(st::Type(Control("txtChargeElementDesc"), "Works renamed"));
    user.Add(st::Click(Control("cmdOK")));
    KovaMSP().ModifyChargeElementDetails();
    ASSERT_TRUE(Finish());
    EXPECT_THAT(Shown(), HasSubstr("txtChargeElementID: TextBox \"W1\""));
    EXPECT_EQ(element.Name(), "Works renamed");
    EXPECT_EQ(element.Text1(), "W1");
}

} // namespace
} // namespace Grantry

namespace Grantry {
namespace {

// A milestone beside its parent made stand-alone by a change moves to row 1 of the plan, at level 1,
// without a parent.
TEST_F(ChargeElementDialog, AChangedMilestoneBecomesStandAloneAtTheTop) {
    AddElement("Top", "T", "WBS Element", 1);
    AddElement("Works", "W1", "Work Package", 2, false, "T");
    msp::Task gate = AddElement("Gate", "G1", "Milestone", 2, false, "T");
    Select(gate);
    user.Add(st::Tick(Control("chkStandalone")));
    user.Add(st::Click(Control("cmdOK")));
    KovaMSP().ModifyChargeElementDetails();
    ASSERT_TRUE(Finish());
    EXPECT_EQ(Names(), "1:Gate 1:Top 2:Works ");
    msp::Task moved = Plan().Tasks().Item(1);
    EXPECT_EQ(moved.Text1(), "G1");
    EXPECT_EQ(moved.Text15(), "");
    EXPECT_TRUE(moved.Milestone());
    EXPECT_FALSE(moved.Flag1());
}

// OK on a change that changes nothing keeps the element where and what it is. The top element's
// milestone stands beside it at level 1 yet has a parent: it is no stand-alone milestone, and a true
// stand-alone one stays one.
TEST_F(ChargeElementDialog, AnUnchangedMilestoneKeepsItsPlaceAndParent) {
    AddElement("Alone", "SM1", "Milestone", 1);
    AddElement("Top", "T", "WBS Element", 1);
    AddElement("Works", "W1", "Work Package", 2, false, "T");
    msp::Task handover = AddElement("Handover", "TM1", "Milestone", 1, false, "T");
    const std::string names = Names();
    for (const std::string code : {"TM1", "SM1"}) {
        SCOPED_TRACE(code);
        msp::Task milestone = code == "TM1" ? handover : Plan().Tasks().Item(1);
        const std::string parent = milestone.Text15();
        Select(milestone);
        user.Add(st::Click(Control("cmdOK")));
        KovaMSP().ModifyChargeElementDetails();
        ASSERT_TRUE(Finish());
        EXPECT_EQ(Names(), names);
        // A stand-alone milestone is cut and pasted back into row 1.
        if (code == "SM1") milestone = Plan().Tasks().Item(1);
        EXPECT_EQ(milestone.Text1(), code);
        EXPECT_EQ(milestone.Text15(), parent);
        EXPECT_TRUE(milestone.Milestone());
    }
}

// A new code reaches the children and the milestones that name the element as parent; blanks around
// the typed code are dropped, one inside it is refused.
TEST_F(ChargeElementDialog, ARenamedElementTakesItsChildrenAlong) {
    AddElement("Top", "OF", "WBS Element", 1);
    msp::Task element = AddElement("Fit-out", "OF50", "Planning Package", 2, false, "OF");
    msp::Task child = AddElement("Walls", "OF51", "Work Package", 3, false, "OF50");
    msp::Task milestone = AddElement("Fitted", "OFM5", "Milestone", 2, false, "OF50");
    msp::Task other = AddElement("Floors", "OF70", "Planning Package", 2, false, "OF");
    Select(element);
    user.Add(st::Type(Control("txtChargeElementID"), "of 6"));
    user.Add(st::Click(Control("cmdOK")));
    user.Add(st::Answer(vbOK, "The Charge Element ID cannot have a blank in it"));
    user.Add(st::Type(Control("txtChargeElementID"), " of60 "));
    user.Add(st::Click(Control("cmdOK")));
    KovaMSP().ModifyChargeElementDetails();
    ASSERT_TRUE(Finish());
    EXPECT_EQ(element.Text1(), "OF60");
    EXPECT_EQ(child.Text15(), "OF60");
    EXPECT_EQ(milestone.Text15(), "OF60");
    EXPECT_EQ(other.Text15(), "OF");
    EXPECT_EQ(element.Text15(), "OF");
}

} // namespace
} // namespace Grantry
