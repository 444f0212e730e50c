// The text of a saved plan: the resource and task lists are written straight to the file, and must
// read as the JSON library would have written them (same keys, same numbers, same escapes, same
// layout), so that plans saved before and after compare byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

#include "platform/msproject/Model.h"

namespace platform::msproject::detail {
namespace {

using nlohmann::json;

Date At(int y, int m, int d, int h = 0, int min = 0) {
    return Date::FromParts(y, m, d, h, min);
}

// A task with every stored member away from its default.
std::shared_ptr<TaskData> FullTask(const std::shared_ptr<ResourceData>& crane) {
    auto t = std::make_shared<TaskData>();
    t->uid = 7;
    t->level = 2;
    t->name = "Träger \"B\" \\ Ω\ttab\x01";
    t->notes = "line one\r\nline two\b\f";
    t->start = At(2024, 6, 7, 8, 0);
    t->duration = 960;
    t->collapsed = t->milestone = t->fontItalic = t->fontBold = true;
    t->constraintType = 4;
    t->constraintDate = At(2024, 6, 7);
    t->type = 1;
    t->fixedCost = 0.1;
    t->work = 1e300;
    t->actualWork = 5e-324;
    t->percentComplete = 33.333333333333336;
    t->percentWorkComplete = -12.5;
    t->actualStart = At(2024, 6, 7, 9, 0);
    t->actualFinish = At(2024, 6, 8, 17, 0);
    t->baselineStart = At(2024, 6, 1);
    t->baselineFinish = At(2024, 6, 2);
    t->baselineDuration = 0.0;
    t->baselineWork = 480;
    t->baselineCost = 1234.56;
    t->startN[0] = At(2024, 1, 1);
    t->startN[9] = At(2024, 1, 10);
    t->finishN[1] = At(2024, 2, 2);
    t->fontColor = 255;
    t->f.text[0] = "CE01";
    t->f.text[4] = "\"\"";
    t->f.text[5] = "\\";
    t->f.text[9] = "ten";
    t->f.text[29] = "thirty";
    t->f.flag[0] = t->f.flag[19] = true;
    t->f.number[1] = 42.5;
    t->f.number[10] = -3;
    t->f.number[11] = std::numeric_limits<double>::quiet_NaN(); // written as null
    t->f.date[2] = At(2024, 3, 3);
    t->predecessors = {{3, 1, -60}, {5, 3, 0.25}};
    auto a = std::make_shared<AssignmentData>();
    a->uid = 11;
    a->resource = crane;
    a->units = 2;
    a->work = 240;
    a->actualWork = 60;
    a->percentWorkComplete = 25;
    a->cost = 99.99;
    a->start = At(2024, 6, 7, 8, 0);
    a->finish = At(2024, 6, 7, 12, 0);
    a->actualStart = At(2024, 6, 7, 8, 0);
    a->actualFinish = At(2024, 6, 7, 10, 0);
    a->notes = "é";
    a->f.text[3] = "17";
    a->f.flag[0] = true;
    a->f.number[0] = 1;
    a->f.date[0] = At(2024, 5, 5);
    t->assignments.push_back(a);
    t->assignments.push_back(std::make_shared<AssignmentData>()); // no resource, defaults
    return t;
}

// What the JSON library writes for that task, built key by key.
json FullTaskAsTree() {
    auto serial = [](const Date& d) { return d.Serial(); };
    json assignment = {{"actualFinish", serial(At(2024, 6, 7, 10, 0))},
                       {"actualStart", serial(At(2024, 6, 7, 8, 0))},
                       {"actualWork", 60.0},
                       {"cost", 99.99},
                       {"date", {{"1", serial(At(2024, 5, 5))}}},
                       {"finish", serial(At(2024, 6, 7, 12, 0))},
                       {"flag", {{"1", true}}},
                       {"notes", "é"},
                       {"number", {{"1", 1.0}}},
                       {"percentWorkComplete", 25.0},
                       {"resource", 4},
                       {"start", serial(At(2024, 6, 7, 8, 0))},
                       {"text", {{"4", "17"}}},
                       {"uid", 11},
                       {"units", 2.0},
                       {"work", 240.0}};
    json bare = {{"resource", 0}, {"uid", 0}, {"units", 1.0}};
    return {{"actualFinish", serial(At(2024, 6, 8, 17, 0))},
            {"actualStart", serial(At(2024, 6, 7, 9, 0))},
            {"actualWork", 5e-324},
            {"assignments", {assignment, bare}},
            {"baselineCost", 1234.56},
            {"baselineDuration", 0.0},
            {"baselineFinish", serial(At(2024, 6, 2))},
            {"baselineStart", serial(At(2024, 6, 1))},
            {"baselineWork", 480.0},
            {"collapsed", true},
            {"constraintDate", serial(At(2024, 6, 7))},
            {"constraintType", 4},
            {"date", {{"3", serial(At(2024, 3, 3))}}},
            {"duration", 960.0},
            {"finishN", {{"2", serial(At(2024, 2, 2))}}},
            {"fixedCost", 0.1},
            {"flag", {{"1", true}, {"20", true}}},
            {"fontBold", true},
            {"fontColor", 255},
            {"fontItalic", true},
            {"level", 2},
            {"links", {{{"lag", -60.0}, {"type", 1}, {"uid", 3}}, {{"lag", 0.25}, {"type", 3}, {"uid", 5}}}},
            {"milestone", true},
            {"name", "Träger \"B\" \\ Ω\ttab\x01"},
            {"notes", "line one\r\nline two\b\f"},
            {"number", {{"2", 42.5}, {"11", -3.0}, {"12", std::numeric_limits<double>::quiet_NaN()}}},
            {"percentComplete", 33.333333333333336},
            {"percentWorkComplete", -12.5},
            {"start", serial(At(2024, 6, 7, 8, 0))},
            {"startN", {{"1", serial(At(2024, 1, 1))}, {"10", serial(At(2024, 1, 10))}}},
            {"text", {{"1", "CE01"}, {"5", "\"\""}, {"6", "\\"}, {"10", "ten"}, {"30", "thirty"}}},
            {"type", 1},
            {"uid", 7},
            {"work", 1e300}};
}

class PlanFileText : public ::testing::Test {
protected:
    std::shared_ptr<PlanData> plan = std::make_shared<PlanData>();
    std::shared_ptr<ResourceData> crane = std::make_shared<ResourceData>();
    void SetUp() override {
        crane->uid = 4;
        crane->name = "Crane";
        plan->resources.push_back(crane);
    }
};

TEST_F(PlanFileText, IsWhatTheJsonLibraryWritesForIt) {
    auto plain = std::make_shared<TaskData>(); // every member at its default
    plain->uid = 1;
    plain->start = At(2024, 6, 3, 8, 0);
    plan->tasks.push_back(plain);
    plan->tasks.push_back(nullptr); // a blank row
    plan->tasks.push_back(FullTask(crane));
    plan->tasks.push_back(nullptr);
    plan->resources.push_back(nullptr); // a blank resource row
    auto full = std::make_shared<ResourceData>(); // every stored member away from its default
    full->uid = 9;
    full->name = "Grue \"G\" é";
    full->emailAddress = "g@example.org";
    full->baseCalendar = "Night";
    full->initials = "G";
    full->group = "Lift";
    full->maxUnits = 2.5;
    full->standardRate = 55;
    full->overtimeRate = 0.1;
    full->costPerUse = -3;
    full->accrueAt = 1;
    full->type = 2;
    full->f.text[1] = "EQP.G";
    full->f.flag[4] = true;
    full->f.number[19] = 7;
    full->f.date[9] = At(2024, 9, 9);
    plan->resources.push_back(full);

    const std::string text = SerializePlan(*plan);
    const json doc = json::parse(text);
    // Same layout, key order and number forms as the library's own writing of the same document.
    EXPECT_EQ(doc.dump(1), text);
    ASSERT_EQ(doc.at("tasks").size(), 4u);
    EXPECT_EQ(doc["tasks"][0].dump(1), json({{"duration", 480.0},
                                             {"level", 1},
                                             {"name", ""},
                                             {"start", At(2024, 6, 3, 8, 0).Serial()},
                                             {"uid", 1}})
                                           .dump(1));
    EXPECT_TRUE(doc["tasks"][1].is_null());
    EXPECT_EQ(doc["tasks"][2].dump(1), FullTaskAsTree().dump(1));
    EXPECT_TRUE(doc["tasks"][3].is_null());
    // The rest of the document comes before the tasks.
    EXPECT_EQ(doc.at("resources").at(0).at("name"), "Crane");
    ASSERT_EQ(doc.at("resources").size(), 3u);
    EXPECT_EQ(doc["resources"][0].dump(1), json({{"name", "Crane"}, {"uid", 4}}).dump(1));
    EXPECT_TRUE(doc["resources"][1].is_null());
    EXPECT_EQ(doc["resources"][2].dump(1), json({{"accrueAt", 1},
                                                 {"baseCalendar", "Night"},
                                                 {"costPerUse", -3.0},
                                                 {"date", {{"10", At(2024, 9, 9).Serial()}}},
                                                 {"emailAddress", "g@example.org"},
                                                 {"flag", {{"5", true}}},
                                                 {"group", "Lift"},
                                                 {"initials", "G"},
                                                 {"maxUnits", 2.5},
                                                 {"name", "Grue \"G\" é"},
                                                 {"number", {{"20", 7.0}}},
                                                 {"overtimeRate", 0.1},
                                                 {"standardRate", 55.0},
                                                 {"text", {{"2", "EQP.G"}}},
                                                 {"type", 2},
                                                 {"uid", 9}})
                                               .dump(1));
}

TEST_F(PlanFileText, WithoutTasksAndWithTextThatIsNotUtf8) {
    const json empty = json::parse(SerializePlan(*plan));
    EXPECT_EQ(empty.at("tasks"), json::array());
    EXPECT_EQ(empty.dump(1), SerializePlan(*plan));

    auto t = std::make_shared<TaskData>();
    t->name = "bad \xff byte";
    plan->tasks.push_back(t);
    EXPECT_THROW(SerializePlan(*plan), json::type_error);
}

} // namespace
} // namespace platform::msproject::detail
