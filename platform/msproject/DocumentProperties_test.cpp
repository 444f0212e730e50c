// Custom document properties: case-insensitive names, kept types, failures of Add, Item and Delete.
#include "platform/msproject/TestFixture.h"

namespace platform::msproject::testing {
namespace {

class DocProperties : public MsProjectTest {
protected:
    CustomDocumentProperties Props() const { return Plan().CustomDocumentProperties(); }
};

TEST_F(DocProperties, NamesMatchWithoutRegardToCaseAndKeepTheirType) {
    auto props = Props();
    props.Add("OBSCode", false, msoPropertyTypeString, "OBS1");
    props.Add("KovaTransferSubContracting", false, msoPropertyTypeBoolean, true);
    props.Add("OwnershipChBSAndBudgQty", false, msoPropertyTypeNumber, false);
    props.Add("KovaConnected", false, msoPropertyTypeDate, At(2024, 6, 7));
    ASSERT_EQ(Err().Number, 0) << Err().Description;

    EXPECT_EQ(automation::CStr(props.Item("OBScode").Value()), "OBS1");
    EXPECT_EQ(props.Item("kovatransfersubcontracting").Value(), Variant(true));
    // A Yes/No value written into a Number property is stored as the number 0.
    EXPECT_EQ(props.Item("OwnershipChBSAndBudgQty").Value(), Variant(int32_t{0}));
    EXPECT_EQ(props.Item("OwnershipChBSAndBudgQty").Type(), msoPropertyTypeNumber);
    props.Item("OwnershipChBSAndBudgQty").SetValue("12");
    EXPECT_EQ(props.Item("OwnershipChBSAndBudgQty").Value(), Variant(int32_t{12}));
    props.Item("OBSCODE").SetValue(int32_t{7});
    EXPECT_EQ(props.Item("OBSCode").Value(), Variant("7"));
    EXPECT_EQ(props.Item(1).Name(), "OBSCode");
    EXPECT_EQ(Err().Number, 0);

    std::vector<std::string> names;
    for (DocumentProperty p : props)
        names.push_back(p.Name());
    EXPECT_EQ(names, (std::vector<std::string>{"OBSCode", "KovaTransferSubContracting",
                                               "OwnershipChBSAndBudgQty", "KovaConnected"}));
}

TEST_F(DocProperties, Failures) {
    auto props = Props();
    props.Add("KovaCompany", false, msoPropertyTypeNumber, int32_t{100});
    struct Case {
        const char* title;
        std::function<void()> call;
        int32_t error;
    };
    const Case cases[] = {
        {"AddExistingName", [&] { props.Add("kovacompany", false, msoPropertyTypeString, "x"); }, 5},
        {"ItemMissing", [&] { props.Item("Missing"); }, 5},
        {"DeleteMissingThroughItem", [&] { props.Item("Missing").Delete(); }, 5},
        {"ValueThatIsNoNumber", [&] { props.Item("KovaCompany").SetValue("ACME"); }, 13},
        {"AddWithAValueOfTheWrongType",
         [&] { props.Add("KovaDate", false, msoPropertyTypeDate, "not a date"); }, 13},
        {"UnknownType", [&] { props.Add("KovaOdd", false, 9, "x"); }, 5},
    };
    for (const auto& c : cases) {
        Err().Clear();
        c.call();
        EXPECT_EQ(Err().Number, c.error) << c.title;
        EXPECT_FALSE(Err().Description.empty()) << c.title;
    }
    // The failed Add left the existing property as it was.
    EXPECT_EQ(props.Item("KovaCompany").Value(), Variant(int32_t{100}));
    EXPECT_EQ(props.Count(), 1);
    props.Item("KOVACOMPANY").Delete();
    EXPECT_EQ(props.Count(), 0);
}

TEST_F(DocProperties, ChangesMakeThePlanUnsaved) {
    Plan().SetSaved(true);
    Props().Add("A", false, msoPropertyTypeString, "1");
    EXPECT_FALSE(Plan().Saved());
}

} // namespace
} // namespace platform::msproject::testing
