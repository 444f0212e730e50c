// Outline operations on view rows and Ids: insertion, indent and outdent, delete, cut and paste.
#include <functional>

#include "platform/msproject/TestFixture.h"

namespace platform::msproject::testing {
namespace {

using Op = std::function<void(Application&, Project)>;

struct OutlineCase {
    const char* title;
    std::vector<Row> layout;
    int32_t selectBefore; // absolute row selected before the operation
    Op op;
    const char* layoutAfter;
    const char* parentsAfter;
    int32_t error;           // expected Err().Number
    const char* activeAfter; // task of the active cell afterwards
};

const std::vector<Row> kBase = {{"A", 1}, {"B", 2}, {"C", 2}, {"D", 1}, {"E", 2}};

Op Add(const char* name, std::optional<int32_t> before) {
    return [=](Application&, Project p) { p.Tasks().Add(name, before); };
}
Op OnTask(const char* name, void (Task::*member)()) {
    return [=](Application&, Project p) {
        for (Task t : p.Tasks().Snapshot())
            if (t && t.Name() == name) (t.*member)();
    };
}
Op App(void (Application::*member)()) {
    return [=](Application& a, Project) { (a.*member)(); };
}
Op CutThenPasteAt(int32_t row) {
    return [=](Application& a, Project) {
        a.EditCut();
        a.SelectRow(row, false);
        a.EditPaste();
    };
}
Op CutThenPasteAtEnd() {
    return [](Application& a, Project p) {
        a.EditCut();
        a.SelectRow(p.Tasks().Count() + 1, false);
        a.EditPaste();
    };
}

class OutlineOps : public MsProjectTest, public ::testing::WithParamInterface<OutlineCase> {};

TEST_P(OutlineOps, GivesLevelsParentsAndActiveRow) {
    const OutlineCase& c = GetParam();
    Build(c.layout);
    app->SelectRow(c.selectBefore, false);
    Err().Clear();
    c.op(*app, Plan());
    EXPECT_EQ(Err().Number, c.error) << Err().Description;
    EXPECT_EQ(Layout(), c.layoutAfter);
    EXPECT_EQ(Parents(), c.parentsAfter);
    EXPECT_EQ(ActiveName(), c.activeAfter);
    // Ids are the row numbers of the task list.
    int32_t i = 0;
    for (const Task& t : PlanTasks().Snapshot()) {
        ++i;
        if (t) {
            EXPECT_EQ(t.Id(), i) << t.Name();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, OutlineOps,
    ::testing::Values(OutlineCase{"AddBeforeSibling", kBase, 3, Add("N", 3), "A1 B2 N2 C2 D1 E2",
                                  "A:- B:A N:A C:A D:- E:D", 0, "N"},
                      OutlineCase{"AddBeforeFirstChild", kBase, 1, Add("N", 2), "A1 N2 B2 C2 D1 E2",
                                  "A:- N:A B:A C:A D:- E:D", 0, "A"},
                      OutlineCase{"AddBeforeTopTask", kBase, 1, Add("N", 4), "A1 B2 C2 N1 D1 E2",
                                  "A:- B:A C:A N:- D:- E:D", 0, "A"},
                      OutlineCase{"AddAtEndTakesLastLevel", kBase, 1, Add("N", std::nullopt),
                                  "A1 B2 C2 D1 E2 N2", "A:- B:A C:A D:- E:D N:D", 0, "A"},
                      OutlineCase{"AddAtRowOneIsTheActiveTask", kBase, 1, Add("N", 1), "N1 A1 B2 C2 D1 E2",
                                  "N:- A:- B:A C:A D:- E:D", 0, "N"},
                      OutlineCase{"IndentMiddleChild", kBase, 3, App(&Application::OutlineIndent),
                                  "A1 B2 C3 D1 E2", "A:- B:A C:B D:- E:D", 0, "C"},
                      OutlineCase{"IndentFirstChildFails", kBase, 1, OnTask("B", &Task::OutlineIndent),
                                  "A1 B2 C2 D1 E2", "A:- B:A C:A D:- E:D", 1004, "A"},
                      OutlineCase{"IndentFirstTaskFails", kBase, 1, App(&Application::OutlineIndent),
                                  "A1 B2 C2 D1 E2", "A:- B:A C:A D:- E:D", 1004, "A"},
                      OutlineCase{"IndentTakesDescendants", kBase, 4, App(&Application::OutlineIndent),
                                  "A1 B2 C2 D2 E3", "A:- B:A C:A D:A E:D", 0, "D"},
                      OutlineCase{"OutdentTakesDescendants",
                                  {{"A", 1}, {"B", 2}, {"C", 3}, {"D", 1}},
                                  2,
                                  App(&Application::OutlineOutdent),
                                  "A1 B1 C2 D1",
                                  "A:- B:- C:B D:-",
                                  0,
                                  "B"},
                      OutlineCase{"OutdentAdoptsLaterSiblings", kBase, 2, App(&Application::OutlineOutdent),
                                  "A1 B1 C2 D1 E2", "A:- B:- C:B D:- E:D", 0, "B"},
                      OutlineCase{"OutdentAtLevelOneFails", kBase, 1, OnTask("A", &Task::OutlineOutdent),
                                  "A1 B2 C2 D1 E2", "A:- B:A C:A D:- E:D", 1004, "A"},
                      OutlineCase{"EditDeleteTakesSubtree", kBase, 1, App(&Application::EditDelete), "D1 E2",
                                  "D:- E:D", 0, "D"},
                      OutlineCase{"TaskDeleteRenumbers", kBase, 4, OnTask("B", &Task::Delete), "A1 C2 D1 E2",
                                  "A:- C:A D:- E:D", 0, "E"},
                      OutlineCase{"CutSubtreePasteAtEnd", kBase, 1, CutThenPasteAtEnd(), "D1 E2 A1 B2 C2",
                                  "D:- E:D A:- B:A C:A", 0, "A"},
                      OutlineCase{"CutSubtreeBelowPasteAbove", kBase, 4, CutThenPasteAt(1), "D1 E2 A1 B2 C2",
                                  "D:- E:D A:- B:A C:A", 0, "D"},
                      OutlineCase{"CutChildPasteBeforeOtherChild", kBase, 5, CutThenPasteAt(2),
                                  "A1 E2 B2 C2 D1", "A:- E:A B:A C:A D:-", 0, "E"},
                      OutlineCase{"PastedTaskTakesTargetLevel", kBase, 3, CutThenPasteAt(3), "A1 B2 C1 D1 E2",
                                  "A:- B:A C:- D:- E:D", 0, "C"},
                      OutlineCase{"DeleteBlankRow",
                                  {{"A", 1}, {"", 0}, {"B", 1}},
                                  2,
                                  App(&Application::EditDelete),
                                  "A1 B1",
                                  "A:- B:-",
                                  0,
                                  "B"}),
    [](const auto& info) { return std::string(info.param.title); });

class Outline : public MsProjectTest {};

TEST_F(Outline, LevelOneTasksHaveTheSummaryTaskAsParent) {
    Build(kBase);
    Task summary = Named("A").OutlineParent();
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary.Id(), 0);
    EXPECT_EQ(summary.OutlineLevel(), 0);
    EXPECT_EQ(summary.Text1(), "");
    EXPECT_EQ(summary, Named("D").OutlineParent());
    EXPECT_EQ(summary, Plan().ProjectSummaryTask());
    EXPECT_EQ(summary.OutlineChildren().Count(), 2);
    // Walking up stops at the summary task: its parent is Nothing, without an error.
    EXPECT_FALSE(summary.OutlineParent());
    EXPECT_EQ(Err().Number, 0);
    Task b = Named("B");
    EXPECT_EQ(b.OutlineParent().OutlineParent(), summary);
}

TEST_F(Outline, ChildrenAndTheRowAfterASubtree) {
    Build({{"A", 1}, {"B", 2}, {"C", 3}, {"D", 2}, {"E", 1}});
    List<Task> children = Named("A").OutlineChildren();
    ASSERT_EQ(children.Count(), 2);
    EXPECT_EQ(children.Item(1).Name(), "B");
    EXPECT_EQ(children.Item(2).Name(), "D");
    // "Last child of the last child ... + 1" is the row after A's subtree.
    Task last = Named("A");
    while (last.OutlineChildren().Count() > 0)
        last = last.OutlineChildren().Item(last.OutlineChildren().Count());
    EXPECT_EQ(last.Id() + 1, Named("E").Id());
    EXPECT_FALSE(children.Item(3));
    EXPECT_EQ(Err().Number, 9);
}

TEST_F(Outline, UniqueIdsSurviveMovesAndHeldHandlesFollowTheTask) {
    Build(kBase);
    Task a = Named("A");
    int32_t uid = a.UniqueID();
    app->SelectRow(1, false);
    app->EditCut();
    app->SelectRow(PlanTasks().Count() + 1, false);
    app->EditPaste();
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(a.Id(), 3);
    EXPECT_EQ(a.UniqueID(), uid);
    EXPECT_EQ(PlanTasks().UniqueID(uid), a);
    // A second paste of the same cut makes new tasks with new unique ids.
    app->EditPaste();
    EXPECT_EQ(Layout(), "D1 E2 A1 B2 C2 A1 B2 C2");
    EXPECT_NE(PlanTasks().Item(3).UniqueID(), PlanTasks().Item(6).UniqueID());
    // New tasks never reuse an id, not even one of a deleted task.
    Named("E").Delete();
    int32_t highest = 0;
    for (const Task& t : PlanTasks().Snapshot())
        highest = std::max(highest, t.UniqueID());
    EXPECT_GT(PlanTasks().Add("N").UniqueID(), highest);
}

// The look-up by unique id answers only a task that stands in the list now, however often it was asked
// for before; a task pasted from another plan may carry an id in use here, and the first in the list wins.
TEST_F(Outline, ATaskFoundByItsUniqueIdIsOneInTheListNow) {
    Build(kBase);
    Task a = Named("A"), e = Named("E");
    const int32_t uid = a.UniqueID(), eUid = e.UniqueID();
    ASSERT_EQ(PlanTasks().UniqueID(uid), a);
    ASSERT_EQ(PlanTasks().UniqueID(eUid), e);
    app->SelectRow(1, false);
    app->EditCut(); // A and its subtasks
    EXPECT_FALSE(PlanTasks().UniqueID(uid));
    EXPECT_EQ(Err().Number, 1004);
    Err().Clear();
    app->SelectRow(2, false);
    app->EditPaste();
    EXPECT_EQ(PlanTasks().UniqueID(uid), a);
    e.Delete();
    EXPECT_FALSE(PlanTasks().UniqueID(eUid));
    Err().Clear();

    // Another plan's first task has the unique id of A here; pasted above A, it is the one found.
    app->FileNew(false);
    Task other = PlanTasks().Add("Other");
    ASSERT_EQ(other.UniqueID(), uid);
    app->SelectRow(1, false);
    app->EditCut();
    app->WindowActivate("Project1");
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    app->SelectRow(1, false);
    app->EditPaste();
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(PlanTasks().UniqueID(uid).Name(), "Other");
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(Outline, UnreachableLevelFailsInsteadOfLooping) {
    Build(kBase);
    Task b = Named("B");
    b.SetOutlineLevel(3);
    EXPECT_EQ(Err().Number, 1004);
    EXPECT_EQ(b.OutlineLevel(), 2);
    // The callers' loop "outdent until level 1" ends.
    int steps = 0;
    Err().Clear();
    while (b.OutlineLevel() != 1 && steps < 10) {
        b.OutlineOutdent();
        ++steps;
    }
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(Outline, DeletedTaskAnswersNinetyOne) {
    Build(kBase);
    Task c = Named("C");
    Named("A").Delete();
    EXPECT_EQ(c.Name(), "");
    EXPECT_EQ(Err().Number, 91);
}

TEST_F(Outline, SortKeepsTheOutlineAndRenumbers) {
    Build({{"A", 1}, {"B", 2}, {"C", 2}, {"D", 1}, {"E", 2}, {"F", 1}});
    const std::pair<const char*, const char*> codes[] = {{"A", "zzzzzzzzz"}, {"B", "b2"}, {"C", "B1"},
                                                         {"D", "!d"},        {"E", "e"},  {"F", "10"}};
    for (auto [name, code] : codes)
        Named(name).SetText1(code);
    app->ViewApply("Task Sheet");
    app->SelectSheet();
    app->Sort({.Key1 = "Text1", .Ascending1 = true, .Renumber = true});
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    // "!" first, then digits, then letters without regard to case; children stay under their parent.
    EXPECT_EQ(Layout(), "D1 E2 F1 A1 C2 B2");
    EXPECT_EQ(Named("C").Id(), 5);
    app->Sort({.Key1 = "NoSuchField"});
    EXPECT_EQ(Err().Number, 1004);
}

} // namespace
} // namespace platform::msproject::testing
