#include "platform/automation/Object.h"

#include <gtest/gtest.h>

#include "platform/automation/ClassRegistry.h"
#include "platform/automation/RecordObject.h"

using namespace platform::automation;

namespace {

class Counter : public Dispatchable<Counter> {
public:
    int32_t value = 0;
    std::string label;

    static const MemberTable<Counter>& Members() {
        static const MemberTable<Counter> table = {
            {"Value", [](Counter& c, CallArgs&) -> Variant { return c.value; }},
            {"Value", CallKind::PropertyLet,
             [](Counter& c, CallArgs& a) -> Variant {
                 c.value = a.Long(0);
                 return Variant();
             }},
            {"Label", [](Counter& c, CallArgs&) -> Variant { return c.label; }},
            // Doubles its by-reference argument and reports the old value.
            {"Twice",
             [](Counter&, CallArgs& a) -> Variant {
                 int32_t old = a.Long(0);
                 a.Set(0, old * 2);
                 return old;
             }},
            {"Describe",
             {"Prefix", "Count", "Suffix"},
             [](Counter& c, CallArgs& a) -> Variant {
                 return a.String(0) + std::to_string(a.Long(1, c.value)) + a.String(2, "!");
             }},
            {"Fail",
             [](Counter&, CallArgs&) -> Variant { throw AutomationError(1234, "it broke", "Counter"); }},
        };
        return table;
    }
};

struct Row {
    std::string Code;
    int16_t SCEType = 0;
    double Quantity = 0;
    static const PropertyTable<Row>& Properties() {
        static const PropertyTable<Row> t = {
            {"Code", &Row::Code}, {"SCEType", &Row::SCEType}, {"Quantity", &Row::Quantity}};
        return t;
    }
};

} // namespace

class ObjectTest : public ::testing::Test {
protected:
    void SetUp() override { Err().Clear(); }
    void TearDown() override { Err().Clear(); }
};

TEST_F(ObjectTest, MembersMatchWithoutRegardToCase) {
    Object o = MakeObject<Counter>();
    Let(o, "VALUE", 41);
    EXPECT_EQ(Get(o, "value"), Variant(41));
    EXPECT_EQ(Call(o, "vAlUe"), Variant(41));
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(ObjectTest, ByReferenceArgumentsAreWrittenBack) {
    Object o = MakeObject<Counter>();
    Variant n = 21;
    Variant byValue = 5;
    EXPECT_EQ(Call(o, "Twice", {ByRef(n)}), Variant(21));
    EXPECT_EQ(n, Variant(42));
    Call(o, "Twice", {ByVal(byValue)});
    EXPECT_EQ(byValue, Variant(5));
}

TEST_F(ObjectTest, NamedArgumentsFindTheirParameter) {
    Object o = MakeObject<Counter>();
    Let(o, "Value", 7);
    EXPECT_EQ(Call(o, "Describe", {Named("suffix", "?"), Named("Prefix", "n=")}), Variant("n=7?"));
    EXPECT_EQ(Call(o, "Describe", {ByVal("a"), Named("Count", 3)}), Variant("a3!"));
    EXPECT_EQ(Err().Number, 0);
    Call(o, "Describe", {Named("Nope", 1)});
    EXPECT_EQ(Err().Number, 448);
}

TEST_F(ObjectTest, FailuresLandInTheErrorRecord) {
    Object o = MakeObject<Counter>();
    struct Case {
        Object target;
        const char* member;
        CallKind kind;
        int32_t number;
        const char* description;
    } cases[] = {
        {o, "NoSuchThing", CallKind::Method, 438, "Object doesn't support this property or method"},
        {Object(), "Value", CallKind::PropertyGet, 91, "Object variable or With block variable not set"},
        {o, "Label", CallKind::PropertyLet, 450, "Wrong number of arguments or invalid property assignment"},
        {o, "Fail", CallKind::Method, 1234, "it broke"},
        {o, "Value", CallKind::PropertyLet, 449, "Argument not optional"},
    };
    for (const auto& c : cases) {
        Err().Clear();
        Variant result = Invoke(c.target, c.member, c.kind, {});
        EXPECT_TRUE(result.IsEmpty());
        EXPECT_EQ(Err().Number, c.number) << c.member;
        EXPECT_EQ(Err().Description, c.description) << c.member;
    }
    // A successful call does not clear an earlier error; callers clear it themselves.
    Err().Raise(5);
    Get(o, "Value");
    EXPECT_EQ(Err().Number, 5);
}

TEST_F(ObjectTest, ClassRegistryCreatesByProgId) {
    RegisterClass({"Test.Counter", "{11111111-2222-3333-4444-555555555555}",
                   "{66666666-7777-8888-9999-000000000000}", [] { return MakeObject<Counter>(); }, ""});
    Object a = CreateObject("test.counter");
    ASSERT_FALSE(a.IsNothing());
    Object b = CreateObject("Test.Counter");
    EXPECT_FALSE(a == b);
    EXPECT_EQ(FindClassById("{11111111-2222-3333-4444-555555555555}")->progId, "Test.Counter");

    RegisterClass({"Test.Broken", "{0}", "{0}", []() -> Object { throw std::runtime_error("no"); }, ""});
    RegisterClass({"Test.Nothing", "{1}", "{1}", [] { return Object(); }, ""});
    for (const char* progId : {"Test.Unknown", "Test.Broken", "Test.Nothing"}) {
        Err().Clear();
        EXPECT_TRUE(CreateObject(progId).IsNothing());
        EXPECT_EQ(Err().Number, 429) << progId;
        EXPECT_EQ(Err().Description, "ActiveX component can't create object");
    }
    UnregisterClass("TEST.COUNTER");
    Err().Clear();
    EXPECT_TRUE(CreateObject("Test.Counter").IsNothing());
    EXPECT_EQ(Err().Number, 429);
    UnregisterClass("Test.Broken");
    UnregisterClass("Test.Nothing");
}

TEST_F(ObjectTest, GetObjectUsesMonikersAndRunningObjects) {
    RegisterMoniker("java:", [](const std::string& m) {
        auto c = std::make_shared<Counter>();
        c->label = m;
        return Object(c);
    });
    Object d = GetObject("JAVA:java.util.Date");
    EXPECT_EQ(Get(d, "Label"), Variant("JAVA:java.util.Date"));
    Object running = MakeObject<Counter>();
    RegisterActiveObject("Some.App", running);
    EXPECT_TRUE(GetObject("some.app") == running);
    RevokeActiveObject("Some.App");
    UnregisterMoniker("java:");
    Err().Clear();
    EXPECT_TRUE(GetObject("java:java.util.Date").IsNothing());
    EXPECT_EQ(Err().Number, 432);
}

TEST_F(ObjectTest, RecordsAnswerByName) {
    auto row = std::make_shared<Row>();
    row->Code = "SCE01";
    row->SCEType = 3;
    Object o = AsObject(row);
    EXPECT_EQ(Get(o, "code"), Variant("SCE01"));
    EXPECT_EQ(Get(o, "SCETYPE"), Variant(int16_t(3)));
    Let(o, "Quantity", "2.5");
    EXPECT_DOUBLE_EQ(row->Quantity, 2.5);
    Let(o, "SCEType", "x");
    EXPECT_EQ(Err().Number, 13);
    Err().Clear();
    Get(o, "Missing");
    EXPECT_EQ(Err().Number, 438);
}

// Member names match without regard to the case of A to Z, and only of those.
TEST(MemberNames, MatchWithoutRegardToCaseOfLettersOnly) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"getProjectID", "GETPROJECTid", true}, {"AZ", "az", true}, {"za", "ZA", true},
        {"@", "`", false},                      {"[", "{", false},  {"get", "gets", false},
        {"\xc3\xa4", "\xc3\x84", false},        {"", "", true},     {"a1_", "A1_", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NamesEqual(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(NamesEqual(c.b, c.a), c.equal) << c.b << " / " << c.a;
    }
}
