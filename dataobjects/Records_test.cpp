// The six exchange records: fresh values, plain storage, and the property order of their interfaces.
#include <gtest/gtest.h>

#include "dataobjects/KovaBudgetLine.h"
#include "dataobjects/KovaCE.h"
#include "dataobjects/KovaCalendarDetail.h"
#include "dataobjects/KovaData.h"
#include "dataobjects/KovaResource.h"
#include "dataobjects/KovaSCE.h"

using namespace platform::automation;
using namespace KovaDataObjects;

namespace {

template <class T> std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& e : T::Properties().entries())
        names.push_back(e.name);
    return names;
}

// Every property of a fresh record, read by name, is the empty value of its type.
template <class T> void ExpectFresh() {
    Object record = AsObject(std::make_shared<T>());
    for (const auto& e : T::Properties().entries()) {
        Variant v = Get(record, e.name);
        ASSERT_EQ(Err().Number, 0) << e.name;
        switch (v.Type()) {
        case VarType::String: EXPECT_EQ(v, Variant("")) << e.name; break;
        case VarType::Integer: EXPECT_EQ(v, Variant(int16_t(0))) << e.name; break;
        case VarType::Long: EXPECT_EQ(v, Variant(int32_t(0))) << e.name; break;
        case VarType::Single: EXPECT_EQ(v, Variant(0.0f)) << e.name; break;
        case VarType::Double: EXPECT_EQ(v, Variant(0.0)) << e.name; break;
        case VarType::Boolean: EXPECT_EQ(v, Variant(false)) << e.name; break;
        case VarType::Date: EXPECT_EQ(v, Variant(Date())) << e.name; break;
        default: ADD_FAILURE() << e.name << " has an unexpected type";
        }
    }
}

} // namespace

TEST(Records, PropertiesInInterfaceOrder) {
    EXPECT_EQ(
        Names<KovaCalendarDetail>(),
        (std::vector<std::string>{"EndTime3", "EndTime2", "StartTime3", "StartTime2", "CalDate", "CalDay",
                                  "EndDate", "StartDate", "Endtime1", "StartTime1", "Working", "Code"}));
    EXPECT_EQ(Names<KovaCE>(),
              (std::vector<std::string>{"EVasMileStone", "StandAlone",  "PercentComplete", "ActualFinish",
                                        "ActualStart",   "SCECode",     "SeqNumber",       "OBSelement",
                                        "Duration",      "AccessMode",  "CEType",          "FinishDate",
                                        "StartDate",     "Plan",        "Project",         "CEParent",
                                        "Milestone",     "Connectable", "CEDescription",   "CECode"}));
    EXPECT_EQ(Names<KovaData>(), (std::vector<std::string>{"Description", "Number", "Code"}));
    EXPECT_EQ(Names<KovaSCE>(), (std::vector<std::string>{"SCEType", "Description", "Code"}));
    EXPECT_EQ(Names<KovaBudgetLine>(),
              (std::vector<std::string>{"ProjectSpecific", "FinishDate", "StartDate", "CostPrice",
                                        "PhysicalQuantity", "PhysicalUnit", "EmpTrgCode", "Work",
                                        "CostObjectDescription", "CostObject", "CostType", "BudgetLine",
                                        "ChargeElement", "ResourceType"}));
    EXPECT_EQ(Names<KovaResource>(),
              (std::vector<std::string>{"Email", "Project", "ResourceNameInMsP", "ResourceCodeInMsP",
                                        "StandardRate", "AvailableUnits", "Unit", "Calendar", "Description",
                                        "Code"}));
}

TEST(Records, FreshRecordsHoldEmptyValuesOfTheirTypes) {
    Err().Clear();
    ExpectFresh<KovaCalendarDetail>();
    ExpectFresh<KovaCE>();
    ExpectFresh<KovaData>();
    ExpectFresh<KovaSCE>();
    ExpectFresh<KovaBudgetLine>();
    ExpectFresh<KovaResource>();
    // The types that matter to callers.
    Object ce = AsObject(std::make_shared<KovaCE>());
    EXPECT_EQ(Get(ce, "CEType").Type(), VarType::Integer);
    EXPECT_EQ(Get(ce, "SeqNumber").Type(), VarType::Long);
    EXPECT_EQ(Get(AsObject(std::make_shared<KovaResource>()), "StandardRate").Type(), VarType::Single);
    EXPECT_EQ(Get(AsObject(std::make_shared<KovaCalendarDetail>()), "Endtime1").Type(), VarType::Long);
}

TEST(Records, ValuesComeBackUnchangedByNameAndAsFields) {
    Err().Clear();
    auto ce = std::make_shared<KovaCE>();
    Object byName = AsObject(ce);
    Let(byName, "cecode", "  BR10  ");
    Let(byName, "CEType", int16_t(9));
    Let(byName, "PercentComplete", 250.5);
    Let(byName, "StartDate", Date::FromParts(1899, 12, 29));
    ASSERT_EQ(Err().Number, 0);
    EXPECT_EQ(ce->CECode, "  BR10  ");
    EXPECT_EQ(ce->CEType, 9) << "out of the range 1 to 5, kept";
    EXPECT_EQ(Get(byName, "PercentComplete"), Variant(250.5));
    EXPECT_EQ(Get(byName, "StartDate"), Variant(Date::FromParts(1899, 12, 29)));
    ce->Milestone = true;
    EXPECT_EQ(Get(byName, "MILESTONE"), Variant(true));
    Get(byName, "NoSuchProperty");
    EXPECT_EQ(Err().Number, platform::automation::errors::NotSupported);
}
