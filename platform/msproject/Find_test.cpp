// Find and FindNext: the UI language's test words, search order and wrap, Yes/No fields, hidden rows.
#include "platform/msproject/TestFixture.h"

namespace platform::msproject::testing {
namespace {

// Rows: 1 A "A10", 2 B "B12" (milestone), 3 C "B123", 4 blank, 5 D "X" (milestone), 6 E "b12".
class FindPlan : public MsProjectTest {
protected:
    void Lay() {
        Build({{"A", 1}, {"B", 2}, {"C", 2}, {"", 0}, {"D", 1}, {"E", 2}});
        const std::pair<const char*, const char*> codes[] = {
            {"A", "A10"}, {"B", "B12"}, {"C", "B123"}, {"D", "X"}, {"E", "b12"}};
        for (auto [name, code] : codes)
            Named(name).SetText1(code);
        Named("B").SetMilestone(true);
        Named("D").SetMilestone(true);
        Err().Clear();
    }
    int32_t ActiveRowTaskId() const {
        Task t = app->ActiveCell().Task();
        return t ? t.Id() : 0;
    }
};

struct FindCase {
    const char* title;
    int32_t lcid;
    const char* field;
    const char* test;
    Variant value;
    bool next;
    int32_t fromRow;
    bool found;
    int32_t rowAfter; // the Id of the active task afterwards (no filter: row = Id)
    int32_t error;
};

class FindTable : public FindPlan, public ::testing::WithParamInterface<FindCase> {
protected:
    ApplicationOptions Options() override {
        ApplicationOptions o;
        o.uiLanguage = GetParam().lcid;
        return o;
    }
};

TEST_P(FindTable, FindsTheNextMatchingRow) {
    const FindCase& c = GetParam();
    Lay();
    app->SelectRow(c.fromRow, false);
    bool found = app->Find(c.field, c.test, c.value, c.next);
    EXPECT_EQ(found, c.found);
    EXPECT_EQ(Err().Number, c.error) << Err().Description;
    EXPECT_EQ(ActiveRowTaskId(), c.rowAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FindTable,
    ::testing::Values(
        FindCase{"EnglishEquals", 1033, "Text1", "equals", "B12", true, 1, true, 2, 0},
        FindCase{"EqualsIgnoresCase", 1033, "text1", "EQUALS", "B12", true, 2, true, 6, 0},
        FindCase{"LiteralEqualsSignWraps", 1033, "Text1", "=", "A10", true, 6, true, 1, 0},
        FindCase{"ContainsIsASubstringTest", 1033, "Text1", "contains", "12", true, 2, true, 3, 0},
        FindCase{"ActiveRowIsSearchedLast", 1033, "Text1", "equals", "X", true, 5, true, 5, 0},
        FindCase{"NotFoundKeepsTheActiveRow", 1033, "Text1", "equals", "nope", true, 3, false, 3, 0},
        FindCase{"BackwardsWhenNextIsFalse", 1033, "Text1", "contains", "12", false, 3, true, 2, 0},
        FindCase{"YesNoFieldWithYes", 1033, "Milestone", "equals", "Yes", true, 2, true, 5, 0},
        FindCase{"YesNoFieldRefusesAnotherLanguage", 1033, "Milestone", "equals", "Ja", true, 1, false, 1,
                 1004},
        FindCase{"EnglishRefusesGermanWord", 1033, "Text1", "Gleich", "B12", true, 1, false, 1, 1004},
        FindCase{"UnknownFieldFails", 1033, "Text99", "equals", "B12", true, 1, false, 1, 1004},
        FindCase{"GermanGleich", 1031, "Text1", "Gleich", "B12", true, 1, true, 2, 0},
        FindCase{"GermanWordIgnoresCase", 1031, "Text1", "gleich", "X", true, 1, true, 5, 0},
        FindCase{"GermanEnthaeltWithUmlautInCapitals", 1031, "Text1", "ENTHÄLT", "12", true, 2, true, 3, 0},
        FindCase{"GermanJaForYesNo", 1031, "Milestone", "Gleich", "Ja", true, 2, true, 5, 0},
        FindCase{"GermanRefusesEnglishEquals", 1031, "Text1", "equals", "B12", true, 1, false, 1, 1004},
        FindCase{"GermanAcceptsEqualsSign", 1031, "Text1", "=", "B123", true, 1, true, 3, 0}),
    [](const auto& info) { return std::string(info.param.title); });

class Find : public FindPlan {};

TEST_F(Find, FindNextReachesEveryLaterMatchThenWraps) {
    Lay();
    app->SelectRow(1, false);
    ASSERT_TRUE(app->Find("Text1", "contains", "12"));
    std::vector<int32_t> ids{ActiveRowTaskId()};
    // The walk of the milestone marking: go on while the found Id grows.
    int32_t previous = 0, current = ids.back();
    while (previous < current && ids.size() < 10) {
        EXPECT_TRUE(app->FindNext());
        previous = current;
        current = ActiveRowTaskId();
        ids.push_back(current);
    }
    EXPECT_EQ(ids, (std::vector<int32_t>{2, 3, 6, 2}));
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(Find, CollapsedAndFilteredRowsAreNotSearched) {
    Lay();
    Named("A").OutlineHideSubTasks();
    app->SelectRow(1, false);
    // B and C are hidden under A; E ("b12") is the only visible match.
    ASSERT_TRUE(app->Find("Text1", "equals", "B12"));
    EXPECT_EQ(ActiveRowTaskId(), 6);
    EXPECT_FALSE(app->Find("Text1", "equals", "B123"));
    app->OutlineShowAllTasks();
    EXPECT_TRUE(app->Find("Text1", "equals", "B123"));
    EXPECT_EQ(ActiveRowTaskId(), 3);

    app->FilterEdit("Milestones", true, true, "Milestone", "equals", "Yes");
    app->FilterApply("Milestones");
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_FALSE(app->Find("Text1", "equals", "A10"));
    EXPECT_TRUE(app->Find("Text1", "equals", "X"));
    // Rows of the filtered view: B, D.
    EXPECT_EQ(ActiveRowTaskId(), 5);
    app->SelectRow(2, false);
    EXPECT_EQ(ActiveRowTaskId(), 5);
}

TEST_F(Find, SearchesResourceRowsInAResourceView) {
    Lay();
    Resources resources = Plan().Resources();
    Resource crane = resources.Add("EQP.CR20 Crane");
    crane.SetText2("EQP.CR20");
    Resource jones = resources.Add("EMP.E007 Jones");
    jones.SetText2("EMP.E007");
    app->ViewApply("Resource Sheet", true);
    EXPECT_TRUE(app->Find("Name", "contains", "E007"));
    EXPECT_EQ(app->ActiveCell().Resource(), jones);
    EXPECT_FALSE(app->ActiveCell().Task());
    EXPECT_TRUE(app->Find("text2", "contains", "CR20"));
    EXPECT_EQ(app->ActiveCell().Resource().Text2(), "EQP.CR20");
    EXPECT_EQ(Err().Number, 0);
    // A task field has no meaning on resource rows.
    EXPECT_FALSE(app->Find("Milestone", "equals", "Yes"));
    EXPECT_EQ(Err().Number, 1004);
}

TEST_F(Find, NeedsAnOpenPlan) {
    app->FileCloseAll(pjDoNotSave);
    EXPECT_FALSE(app->Find("Text1", "equals", "x"));
    EXPECT_EQ(Err().Number, 1004);
    Err().Clear();
    EXPECT_FALSE(app->FindNext());
    EXPECT_NE(Err().Number, 0);
}

} // namespace
} // namespace platform::msproject::testing
