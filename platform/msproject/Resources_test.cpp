// Resources, assignments, ResourceAssignment, Work and Units written as text, and baselines.
#include "platform/msproject/TestFixture.h"

namespace platform::msproject::testing {
namespace {

class ResourcesAndAssignments : public MsProjectTest {
protected:
    ApplicationOptions Options() override {
        ApplicationOptions o;
        o.decimalSeparator = ",";
        return o;
    }
    void SetUp() override {
        MsProjectTest::SetUp();
        Build({{"CE", 1}, {"Line", 2}});
        auto r = Plan().Resources();
        r.Add("MAT.A100 Steel  plate  5mm").SetText2("MAT.A100");
        r.Add("EMP.D10.E007 Jones").SetText2("EMP.E007");
        r.Add("EQP.CR20 Crane").SetText2("EQP.CR20");
        Err().Clear();
    }
    Resource R(const char* name) const { return Plan().Resources().Item(name); }
};

TEST_F(ResourcesAndAssignments, AddRefusesASecondAssignmentOfOneResource) {
    Task line = Named("Line");
    Assignment a = line.Assignments().Add(R("EQP.CR20 Crane").Id(), 0.0);
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(a.ResourceName(), "EQP.CR20 Crane");
    EXPECT_DOUBLE_EQ(a.Units(), 0);
    EXPECT_EQ(a.TaskID(), line.Id());
    line.Assignments().Add(R("EQP.CR20 Crane").Id(), 1.0);
    EXPECT_EQ(Err().Number, 1004);
    Err().Clear();
    line.Assignments().Add(99);
    EXPECT_EQ(Err().Number, 1004);
    EXPECT_EQ(line.Assignments().Count(), 1);
    Err().Clear();
    Plan().Resources().Item("Nobody");
    EXPECT_EQ(Err().Number, 1004);
    Err().Clear();

    Assignment b = line.Assignments().Add(R("EMP.D10.E007 Jones").Id());
    // Writing ResourceName moves the assignment; an unknown or already assigned name is refused.
    b.SetResourceName("MAT.A100 Steel  plate  5mm");
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(b.ResourceName(), "MAT.A100 Steel  plate  5mm");
    b.SetResourceName("EQP.CR20 Crane");
    EXPECT_EQ(Err().Number, 1004);
    Err().Clear();
    b.SetResourceName("Nobody");
    EXPECT_EQ(Err().Number, 1004);
    EXPECT_EQ(b.ResourceName(), "MAT.A100 Steel  plate  5mm");

    std::vector<std::string> names;
    for (const Resource& r : line.Resources())
        names.push_back(r.Text2());
    EXPECT_EQ(names, (std::vector<std::string>{"EQP.CR20", "MAT.A100"}));
    EXPECT_EQ(R("EQP.CR20 Crane").Assignments().Count(), 1);
}

TEST_F(ResourcesAndAssignments, WalkingWhileDeleting) {
    Task line = Named("Line");
    for (const char* name : {"MAT.A100 Steel  plate  5mm", "EMP.D10.E007 Jones", "EQP.CR20 Crane"})
        line.Assignments().Add(R(name).Id());
    // A snapshot visits every assignment present when the walk starts.
    int visited = 0;
    for (Assignment a : line.Assignments().Snapshot()) {
        ++visited;
        a.Delete();
    }
    EXPECT_EQ(visited, 3);
    EXPECT_EQ(line.Assignments().Count(), 0);
    // The live walk re-reads Count: deleting while walking skips the next one.
    for (const char* name : {"MAT.A100 Steel  plate  5mm", "EMP.D10.E007 Jones", "EQP.CR20 Crane"})
        line.Assignments().Add(R(name).Id());
    visited = 0;
    for (Assignment a : line.Assignments()) {
        ++visited;
        a.Delete();
    }
    EXPECT_EQ(visited, 2);
    EXPECT_EQ(line.Assignments().Count(), 1);
}

TEST_F(ResourcesAndAssignments, ResourceAssignmentActsOnTheSelectedTask) {
    app->SelectRow(Named("Line").Id(), false);
    app->ResourceAssignment("EQP.CR20 Crane", pjAssign);
    EXPECT_EQ(Err().Number, 0);
    Assignments as = Named("Line").Assignments();
    ASSERT_EQ(as.Count(), 1);
    EXPECT_DOUBLE_EQ(as.Item(1).Units(), 1);
    app->ResourceAssignment("EQP.CR20 Crane", pjReplace, "EMP.D10.E007 Jones");
    EXPECT_EQ(as.Item(1).ResourceName(), "EMP.D10.E007 Jones");
    struct Case {
        const char* resource;
        int32_t operation;
        const char* with;
    };
    for (auto c : {Case{"Nobody", pjAssign, ""}, Case{"EMP.D10.E007 Jones", pjAssign, ""},
                   Case{"EQP.CR20 Crane", pjReplace, "MAT.A100 Steel  plate  5mm"},
                   Case{"EMP.D10.E007 Jones", pjReplace, "Nobody"}}) {
        Err().Clear();
        app->ResourceAssignment(c.resource, c.operation, c.with);
        EXPECT_EQ(Err().Number, 1004) << c.resource << " " << c.operation;
    }
    EXPECT_EQ(as.Count(), 1);
    // No task on the active row.
    Err().Clear();
    app->SelectRow(3, false);
    app->ResourceAssignment("EQP.CR20 Crane", pjAssign);
    EXPECT_EQ(Err().Number, 1004);
}

TEST_F(ResourcesAndAssignments, WorkAndUnitsAsTextAreReadInTheDefaultWorkUnit) {
    Project p = Plan();
    Task line = Named("Line");
    Assignment a = line.Assignments().Add(R("EQP.CR20 Crane").Id(), 0.0);
    struct Case {
        int32_t workUnit;
        Variant written;
        double minutes;
    };
    const Case cases[] = {
        {pjHour, "4", 240},     {pjHour, "2,5", 150}, {pjDay, "1,5", 720}, {pjMinute, "90", 90},
        {pjWeek, "1", 2400},    {pjHour, 240.0, 240}, // a number is minutes whatever the unit
        {pjHour, " 12,5", 750}, {pjHour, "-3", -180},
    };
    for (const auto& c : cases) {
        p.SetDefaultWorkUnits(c.workUnit);
        a.SetWork(c.written);
        line.SetWork(c.written);
        EXPECT_DOUBLE_EQ(a.Work(), c.minutes) << automation::CStr(c.written);
        EXPECT_DOUBLE_EQ(line.Work(), c.minutes) << automation::CStr(c.written);
    }
    a.SetUnits("2,5");
    EXPECT_DOUBLE_EQ(a.Units(), 2.5);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    a.SetWork("lots");
    EXPECT_EQ(Err().Number, 13);
    Err().Clear();
    p.SetDefaultWorkUnits(4);
    EXPECT_EQ(Err().Number, 1004);
    // Lags are read in the default duration unit.
    p.SetDefaultDurationUnits(pjHour);
    Named("Line").LinkPredecessors(Named("CE"), pjFinishToFinish, "1,5");
    EXPECT_DOUBLE_EQ(Named("Line").TaskDependencies().Item(1).Lag, 90);
    EXPECT_EQ(Named("Line").TaskDependencies().Item(1).Type, pjFinishToFinish);
}

TEST_F(ResourcesAndAssignments, ResourceFieldsAndDeletion) {
    Resource crane = R("EQP.CR20 Crane");
    crane.SetMaxUnits(3);
    crane.SetStandardRate(80);
    crane.SetCostPerUse(10);
    crane.SetAccrueAt(1);
    crane.SetEMailAddress("crane@example.org");
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(crane.GetField("Max Units"), Variant(3.0));
    EXPECT_EQ(crane.GetField("text2"), Variant("EQP.CR20"));
    crane.SetAccrueAt(9);
    EXPECT_EQ(Err().Number, 1004);
    Err().Clear();
    Named("Line").Assignments().Add(crane.Id()).SetWork(120.0);
    EXPECT_DOUBLE_EQ(Named("Line").Cost(), 120 / 60.0 * 80 + 10);
    crane.Delete();
    EXPECT_EQ(Plan().Resources().Count(), 2);
    EXPECT_EQ(Named("Line").Assignments().Count(), 0);
    EXPECT_EQ(R("MAT.A100 Steel  plate  5mm").Id(), 1);
}

class Baselines : public MsProjectTest {};

TEST_F(Baselines, SaveIntoTheBaselineOrAnInterimPlan) {
    Build({{"A", 1}, {"B", 1}});
    Named("A").SetStart(At(2024, 6, 3, 8, 0));
    Named("A").SetDuration(480.0);
    Named("B").SetStart(At(2024, 6, 4, 8, 0));
    Named("B").SetDuration(960.0);
    EXPECT_EQ(Named("A").BaselineStart(), Variant("NA"));
    app->BaselineSave(true, 0, 0);
    EXPECT_EQ(Named("A").BaselineStart(), Variant(At(2024, 6, 3, 8, 0)));
    EXPECT_EQ(Named("B").BaselineFinish(), Variant(At(2024, 6, 5, 17, 0)));
    EXPECT_DOUBLE_EQ(Named("B").BaselineDuration(), 960);
    // The selected row only, into Start3/Finish3.
    Named("A").SetStart(At(2024, 6, 10, 8, 0));
    app->SelectRow(1, false);
    app->BaselineSave(false, 0, 3);
    EXPECT_EQ(Named("A").StartN(3), Variant(At(2024, 6, 10, 8, 0)));
    EXPECT_EQ(Named("A").GetField("Finish3"), Variant(At(2024, 6, 10, 17, 0)));
    EXPECT_EQ(Named("B").StartN(3), Variant("NA"));
    // A second save overwrites without asking.
    app->BaselineSave(true, 0, 0);
    EXPECT_EQ(Named("A").BaselineStart(), Variant(At(2024, 6, 10, 8, 0)));
    EXPECT_EQ(Err().Number, 0);
    app->BaselineSave(true, 0, 11);
    EXPECT_EQ(Err().Number, 1004);
}

// Summaries take their baseline from their subtasks: dates, duration and cost as the task shows them.
TEST_F(Baselines, SummariesSaveWhatTheyShowRolledUpFromTheirSubtasks) {
    Build({{"Top", 1}, {"S1", 2}, {"a", 3}, {"b", 3}, {"", 0}, {"S2", 2}, {"c", 3}, {"d", 4}, {"e", 2}, {"Lone", 1}});
    Resource crane = Plan().Resources().Add("EQP.CR20 Crane");
    crane.SetStandardRate(80);
    crane.SetCostPerUse(10);
    const char* names[] = {"a", "b", "c", "d", "e", "Lone"};
    for (int i = 0; i < 6; ++i) {
        Named(names[i]).SetStart(At(2024, 6, 3 + i, 8, 0));
        Named(names[i]).SetDuration(480.0 * (i % 3 + 1));
        Named(names[i]).SetFixedCost(100.0 * i);
    }
    Named("b").Assignments().Add(crane.Id()).SetWork(120.0);
    Named("d").Assignments().Add(crane.Id()).SetWork(60.0);
    Named("S2").SetFixedCost(7);
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    app->BaselineSave(true, 0, 0);
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    for (const char* name : {"Top", "S1", "a", "b", "S2", "c", "d", "e", "Lone"}) {
        Task t = Named(name);
        EXPECT_EQ(t.BaselineStart(), Variant(t.Start())) << name;
        EXPECT_EQ(t.BaselineFinish(), Variant(t.Finish())) << name;
        EXPECT_DOUBLE_EQ(t.BaselineDuration(), t.Duration()) << name;
        EXPECT_DOUBLE_EQ(t.BaselineCost(), t.Cost()) << name;
    }
    EXPECT_EQ(Named("Top").BaselineStart(), Variant(At(2024, 6, 3, 8, 0)));
    EXPECT_DOUBLE_EQ(Named("S2").BaselineCost(), 7 + 200 + 300 + (60 / 60.0 * 80 + 10));
}

} // namespace
} // namespace platform::msproject::testing
