#include "platform/middleware/Paging.h"

#include <gtest/gtest.h>

#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/ProgIds.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace platform::middleware;

namespace {

// ROOT has the subtree A, A1, A2, B; OTHER is a second tree.
constexpr const char* kObsSeed = R"({
  "company": {"number": 7},
  "obs": [{"id": "ROOT", "description": "Company"}, {"id": "A", "parent": "ROOT", "description": "Design"},
          {"id": "A1", "parent": "A"}, {"id": "OTHER"}, {"id": "A2", "parent": "A"}, {"id": "B", "parent": "ROOT"}],
  "projects": [{"id": "P1", "obs": "ROOT"}, {"id": "P2"}]
})";

Object ObjectOf(const Variant& v) {
    auto o = v.Peek<Object>();
    return o ? *o : Object();
}

struct Page {
    Object set;
    std::vector<std::string> ids;
};

// One request of the OBS list, read the way a caller reads it.
Page Request(const Object& manager, const std::string& project, const std::string& obs, int16_t batch,
             Variant& callId, Variant& flag) {
    Page page;
    page.set = ObjectOf(Call(manager, "getOrganizationBreakdownStructureElements",
                             {ByVal(project), ByVal(obs), ByVal(batch), ByRef(callId), ByRef(flag)}));
    Object list = ObjectOf(Call(page.set, "getOBSElementReference"));
    int32_t size = CLng(Call(list, "sizeOrganizationBreakdownStructureElement"));
    for (int32_t i = 0; i < size; ++i) {
        Variant index = int16_t(i);
        Object element = ObjectOf(Call(list, "organizationBreakdownStructureElementAt", {ByRef(index)}));
        page.ids.push_back(CStr(Call(element, "organizationBreakdownStructureElementID")));
    }
    return page;
}

} // namespace

class PagingTest : public ::testing::Test {
protected:
    TestBackend erp{kObsSeed};
    Object manager = CreateObject(progids::ObsManager);
};

TEST_F(PagingTest, ServesTheSubtreeInPagesOfTheCappedBatchUntilComplete) {
    erp.Control().SetPageSizeCap(2);
    Variant callId = int16_t(0), flag = "N";
    std::vector<std::string> all, flags;
    std::vector<VarType> idTypes;
    for (int guard = 0; guard < 10; ++guard) {
        Page page = Request(manager, "P1", "ROOT", 500, callId, flag);
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        all.insert(all.end(), page.ids.begin(), page.ids.end());
        Variant next = Call(page.set, "getCallId");
        idTypes.push_back(next.Type());
        flags.push_back(CStr(Call(page.set, "getSetComplete")));
        EXPECT_EQ(next, callId) << "the by-reference call id and the set agree";
        if (flags.back() == "Y") break;
    }
    EXPECT_EQ(all, (std::vector<std::string>{"ROOT", "A", "A1", "A2", "B"}));
    EXPECT_EQ(flags, (std::vector<std::string>{"N", "N", "Y"}));
    for (VarType t : idTypes)
        EXPECT_EQ(t, VarType::Integer) << "a call id given as a 16-bit integer comes back as one";
    EXPECT_EQ(CLng(callId), 0) << "a finished list answers call id 0";
    EXPECT_EQ(OpenCursorCount(), 0u);
}

TEST_F(PagingTest, HonoursTheRequestedBatchAndLongCallIds) {
    Variant callId = int32_t(0), flag = "N";
    Page first = Request(manager, "P1", "", 3, callId, flag);
    EXPECT_EQ(first.ids, (std::vector<std::string>{"ROOT", "A", "A1"}))
        << "an empty OBS takes the project's root";
    EXPECT_EQ(Call(first.set, "getCallId").Type(), VarType::Long);
    EXPECT_NE(CLng(callId), 0);
    Page second = Request(manager, "P1", "", 3, callId, flag);
    EXPECT_EQ(second.ids, (std::vector<std::string>{"A2", "B"}));
    EXPECT_EQ(CStr(flag), "Y");
}

TEST_F(PagingTest, CursorsSurviveReleaseAllAndTheManager) {
    erp.Control().SetPageSizeCap(2);
    Variant callId = int16_t(0), flag = "N";
    Request(manager, "P1", "ROOT", 500, callId, flag);
    Call(manager, "releaseAll");
    manager.Release();
    Object another = CreateObject(progids::ObsManager);
    Page next = Request(another, "", "", 500, callId, flag);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(next.ids, (std::vector<std::string>{"A1", "A2"})) << "the later keys do not restart the list";
}

TEST_F(PagingTest, EmptyAndUnknownListsAndCallIds) {
    Variant callId = int16_t(0), flag = "N";
    Page unknownRoot = Request(manager, "P1", "NOPE", 500, callId, flag);
    EXPECT_EQ(Err().Number, 0);
    EXPECT_TRUE(unknownRoot.ids.empty());
    EXPECT_EQ(CStr(Call(unknownRoot.set, "getSetComplete")), "Y");

    Variant whole = int16_t(0);
    Page everything = Request(manager, "", "", 500, whole, flag);
    EXPECT_EQ(everything.ids, (std::vector<std::string>{"ROOT", "A", "A1", "A2", "B", "OTHER"}));

    Variant stale = int16_t(4711);
    Call(manager, "getOrganizationBreakdownStructureElements",
         {ByVal("P1"), ByVal(""), ByVal(int16_t(500)), ByRef(stale), ByRef(flag)});
    EXPECT_EQ(Err().Number, failures::InvalidCallId);
    EXPECT_NE(Err().Description.find("<MessageDescription>"), std::string::npos);
    Err().Clear();

    Variant fresh = int16_t(0);
    Call(manager, "getOrganizationBreakdownStructureElements",
         {ByVal("P9"), ByVal(""), ByVal(int16_t(500)), ByRef(fresh), ByRef(flag)});
    EXPECT_EQ(Err().Number, failures::NotFound);
    EXPECT_EQ(Err().Source, progids::ObsManager);
}

TEST_F(PagingTest, CompletionFlagTextsCanBeChanged) {
    erp.Control().SetCompletionFlags(" Y ", "n");
    erp.Control().SetPageSizeCap(4);
    Variant callId = int16_t(0), flag = "N";
    Page first = Request(manager, "P1", "ROOT", 500, callId, flag);
    EXPECT_EQ(CStr(Call(first.set, "getSetComplete")), "n");
    Page last = Request(manager, "P1", "ROOT", 500, callId, flag);
    EXPECT_EQ(CStr(Call(last.set, "getSetComplete")), " Y ");
}

TEST_F(PagingTest, IndexOutOfRangeAndEnumerationEnd) {
    Variant callId = int16_t(0), flag = "N";
    Page page = Request(manager, "P1", "A", 500, callId, flag);
    Object list = ObjectOf(Call(page.set, "getOBSElementReference"));
    Variant index = int16_t(3);
    Call(list, "organizationBreakdownStructureElementAt", {ByRef(index)});
    EXPECT_EQ(Err().Number, failures::NoSuchElement);
    Err().Clear();

    Object e = MakeEnumeration("Test.Enumeration", "Test", {list});
    EXPECT_TRUE(CBool(Call(e, "hasMoreElements")));
    EXPECT_EQ(ObjectOf(Call(e, "NEXTELEMENT")), list) << "names are matched without regard to case";
    EXPECT_FALSE(CBool(Call(e, "hasMoreElements")));
    Call(e, "nextelement");
    EXPECT_EQ(Err().Number, failures::NoSuchElement);
}
