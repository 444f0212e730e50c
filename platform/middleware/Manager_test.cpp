#include "platform/middleware/Manager.h"

#include <gtest/gtest.h>

#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/Codes.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/Paging.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace platform::middleware;

namespace {

// A small writable manager over the OBS table, the way a later manager uses the shared machinery:
// `Show(id)` reads and tracks an element, `New()` gives one to fill and `Add`.
const EntityKind& ElementKind() {
    static const EntityKind kind{
        "Test.Element",
        "obs_element",
        {
            {"ID", "element_id", FieldType::Text, {"getID"}, {"setID"}, true},
            {"Parent", "parent_id", FieldType::Text, {"getParent"}, {"setParent"}},
            {"Description", "description", FieldType::Text, {"getDescription"}, {"setDescription"}},
            {"Scratch", "", FieldType::Long, {"getScratch"}, {"setScratch"}},
        }};
    return kind;
}

class ElementManager : public ManagerOf<ElementManager> {
public:
    ElementManager() : ManagerOf("Test.ElementManager") {}
    static const MemberTable<ElementManager>& Members() {
        static const MemberTable<ElementManager> table = {
            {"Show",
             [](ElementManager& m, CallArgs& a) -> Variant {
                 auto found =
                     LoadEntities(m.Db(), ElementKind(), "element_id = ?", {a.String(0)}, "", m.progId());
                 if (found.empty()) return Variant(Object());
                 m.Track(found.front());
                 return Variant(Object(found.front()));
             }},
            {"New",
             [](ElementManager& m, CallArgs&) -> Variant {
                 return Variant(Object(std::make_shared<Entity>(ElementKind(), m.progId())));
             }},
        };
        return table;
    }

protected:
    bool Accepts(const EntityKind& kind) const override { return &kind == &ElementKind(); }
    void ApplyInsert(Database& db, Entity& e) override {
        if (e.Text("Description").empty())
            throw Failure(failures::Refused, "An element needs a description.");
        InsertEntity(db, e);
    }
};

Object ObjectOf(const Variant& v) {
    auto o = v.Peek<Object>();
    return o ? *o : Object();
}

std::string DescriptionIn(Database& db, const std::string& id) {
    return CStr(db.Scalar("SELECT description FROM obs_element WHERE element_id = ?", {id}));
}

} // namespace

class ManagerTest : public ::testing::Test {
protected:
    TestBackend erp{R"({"obs": [{"id": "ROOT", "description": "Company"}, {"id": "A", "parent": "ROOT",
                        "description": "Design"}]})"};
    Object manager = MakeObject<ElementManager>();
    Object Show(const char* id) { return ObjectOf(Call(manager, "Show", {ByVal(id)})); }
};

TEST_F(ManagerTest, SettersAndAddReachTheBackendOnlyAtSynchronize) {
    Object root = Show("ROOT");
    Call(root, "setDescription", {ByVal("Head office")});
    Object added = ObjectOf(Call(manager, "New"));
    Call(added, "setID", {ByVal("B")});
    Call(added, "setParent", {ByVal("ROOT")});
    Call(added, "setDescription", {ByVal("Build")});
    Variant addedRef(added);
    Call(manager, "Add", {ByRef(addedRef)});
    auto db = erp.Open();
    EXPECT_EQ(DescriptionIn(*db, "ROOT"), "Company");
    EXPECT_TRUE(db->Scalar("SELECT 1 FROM obs_element WHERE element_id = 'B'").IsEmpty());

    Call(manager, "synchronize");
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(DescriptionIn(*db, "ROOT"), "Head office");
    EXPECT_EQ(DescriptionIn(*db, "B"), "Build");
    EXPECT_EQ(CStr(Call(added, "getParent")), "ROOT");

    // After synchronize the added record is tracked like a read one.
    Call(added, "setDescription", {ByVal("Construction")});
    Call(manager, "synchronize");
    EXPECT_EQ(DescriptionIn(*db, "B"), "Construction");
}

TEST_F(ManagerTest, SynchronizeIsAllOrNothing) {
    Object root = Show("ROOT");
    Call(root, "setDescription", {ByVal("Renamed")});
    Object refused = ObjectOf(Call(manager, "New"));
    Call(refused, "setID", {ByVal("C")});
    Variant ref(refused);
    Call(manager, "Add", {ByRef(ref)});
    Call(manager, "synchronize");
    EXPECT_EQ(Err().Number, failures::Refused);
    EXPECT_EQ(Err().Source, "Test.ElementManager");
    EXPECT_NE(
        Err().Description.find("<MessageDescription>An element needs a description.</MessageDescription>"),
        std::string::npos);
    auto db = erp.Open();
    EXPECT_EQ(DescriptionIn(*db, "ROOT"), "Company")
        << "the setter change was rolled back with the refused insert";
    Err().Clear();
    Call(manager, "synchronize");
    EXPECT_EQ(Err().Number, 0) << "a failed unit of work is forgotten";
}

TEST_F(ManagerTest, ReleaseAllForgetsTheWorkingSetAndRemoveDeletes) {
    Object a = Show("A");
    Call(a, "setDescription", {ByVal("Lost")});
    Call(manager, "releaseAll");
    Call(manager, "synchronize");
    auto db = erp.Open();
    EXPECT_EQ(DescriptionIn(*db, "A"), "Design");

    Variant ref(Show("A"));
    Call(manager, "Remove", {ByRef(ref)});
    Call(manager, "synchronize");
    EXPECT_TRUE(db->Scalar("SELECT 1 FROM obs_element WHERE element_id = 'A'").IsEmpty());
    Call(manager, "Remove", {ByRef(ref)});
    EXPECT_EQ(Err().Number, failures::NotFound) << "a removed record cannot be removed again";
}

TEST_F(ManagerTest, SharedMembersAndWhatAManagerRefuses) {
    SetDefaultBackendName("  DEMO ");
    EXPECT_EQ(CStr(Call(manager, "GETCURRENTBACKEND")), "  DEMO ") << "the name comes as configured";
    static const EntityKind otherKind{"Test.Other", "obs_element", {}};
    Variant ref(Object(std::make_shared<Entity>(otherKind, "x")));
    Call(manager, "Add", {ByRef(ref)});
    EXPECT_EQ(Err().Number, failures::NotSupported);
    Err().Clear();
    Call(manager, "noSuchMember");
    EXPECT_EQ(Err().Number, platform::automation::errors::NotSupported);
    Err().Clear();

    Object fresh = ObjectOf(Call(manager, "New"));
    Call(fresh, "setScratch", {ByVal(int16_t(3))});
    EXPECT_EQ(Call(fresh, "getScratch"), Variant(int32_t(3)))
        << "a value that is not stored is kept on the record";
}

TEST_F(ManagerTest, ManagersFailWhenTheBackendCannotBeUsed) {
    erp.Config().started = false;
    erp.Save();
    Call(manager, "Show", {ByVal("ROOT")});
    EXPECT_EQ(Err().Number, failures::BackendNotAvailable);
    EXPECT_NE(Err().Description.find("not started"), std::string::npos);
    Err().Clear();
    EXPECT_EQ(CStr(Call(manager, "getCurrentBackend")), "DEMO") << "the adapter still names its backend";
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(ManagerTest, GeneratedCodesAreDeterministicShortAndFree) {
    auto db = erp.Open();
    std::vector<std::string> codes;
    for (int i = 0; i < 3; ++i)
        codes.push_back(
            GenerateCode(*db, "DES_IGN.X", 8, [](const std::string& c) { return c == "DESIGNX2"; }));
    EXPECT_EQ(codes, (std::vector<std::string>{"DESIGNX1", "DESIGNX3", "DESIGNX4"}));
    EXPECT_EQ(GenerateCode(*db, "", 8, nullptr), "CE1");
    for (int i = 0; i < 9; ++i)
        GenerateCode(*db, "ABCDEFGH", 8, nullptr);
    EXPECT_EQ(GenerateCode(*db, "ABCDEFGH", 8, nullptr), "ABCDEF10") << "the prefix gives way to the number";

    TestBackend other{"{}", "OTHER"};
    auto otherDb = other.Open();
    EXPECT_EQ(GenerateCode(*otherDb, "DES_IGN.X", 8, nullptr), "DESIGNX1") << "a new backend starts again";
}
