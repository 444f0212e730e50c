#include "integration/chargestructure/ChargeStructureTransfer.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "dataobjects/KovaProjectData.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/chargestructure/ChargeElementFile.h"
#include "integration/chargestructure/ChargeElements.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/Language.h"
#include "integration/core/TaskRows.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/msproject/MSProject.h"
#include "platform/msproject/Model.h"
#include "platform/os/FileSystem.h"
#include "platform/os/RandomFile.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

namespace msp = platform::msproject;
namespace os = platform::os;
using KovaDataObjects::KovaCE;
using KovaDataObjects::Trim;
using platform::automation::CDate;
using platform::automation::CStr;
using platform::automation::Date;
using platform::automation::Err;
using platform::automation::Variant;

namespace {

// A date the element's task can take: none for a date outside the dates the program schedules.
Date ScheduleDateOrNone(const Date& d) {
    return d.IsZero() || msp::detail::IsScheduleDate(d) ? d : Date();
}

// Logs each date of the element that its task cannot take, naming the element; false when there is one.
bool ElementDatesFit(const KovaCE& ce) {
    bool fit = true;
    for (const auto& [what, d] : {std::pair<const char*, const Date&>{"start", ce.StartDate}, {"finish", ce.FinishDate}})
        if (ScheduleDateOrNone(d) != d) {
            PrintLog(std::string("The ") + what + " " + msp::detail::ShownDate(d) + " of Charge Element " + ce.CECode +
                     " is outside the dates Microsoft Project schedules " + msp::detail::kScheduleDatesText +
                     "; its task is placed without the ERP's dates.");
            fit = false;
        }
    return fit;
}


// Bounds the level loops: a step that changes nothing would otherwise repeat for ever.
constexpr int kMaxOutlineSteps = 100;

std::optional<int32_t> ReadLevel(const std::string& text) {
    const std::string t = Trim(text);
    if (t.empty()) return std::nullopt;
    size_t used = 0;
    try {
        long value = std::stol(t, &used);
        if (used != t.size()) return std::nullopt;
        return static_cast<int32_t>(value);
    } catch (...) {
        return std::nullopt;
    }
}

// The plan's tasks by code, read once for the milestone pass. The pass moves tasks but changes no
// code, so the first task of the plan with a code is the listed one of that code with the lowest Id.
class TasksByCode {
public:
    explicit TasksByCode(msp::Tasks tasks) : tasks_(std::move(tasks)) {
        const int32_t count = tasks_.Count();
        for (int32_t i = 1; i <= count; ++i) {
            msp::Task t = tasks_.Item(i);
            if (t) byCode_[t.Text1()].push_back(t);
        }
        Err().Clear();
    }
    // The first task of the plan whose code is `code` (blank rows skipped).
    msp::Task First(const std::string& code) {
        msp::Task first;
        int32_t firstId = 0;
        auto found = byCode_.find(code);
        if (found == byCode_.end()) return first;
        for (const msp::Task& t : found->second) {
            const int32_t id = t.Id();
            // A task cut and not pasted again is no longer in the plan.
            if (Err().Number == 0 && id >= 1 && (!first || id < firstId) && tasks_.Item(id) == t) {
                first = t;
                firstId = id;
            }
            Err().Clear();
        }
        return first;
    }

private:
    msp::Tasks tasks_;
    std::map<std::string, std::vector<msp::Task>> byCode_;
};

// Finds the task with code `code` as the Find command does; Nothing when none is found.
msp::Task FindByCode(msp::Application& app, const std::string& code) {
    if (!app.Find(kChargeElementCodeField, GetFilterTestText(1), Variant(code), false, true)) {
        Err().Clear();
        return {};
    }
    return app.ActiveCell().Task();
}

void PlaceMilestones(msp::Application& app, const KovaDataObjects::Collection<KovaCE>& list,
                     bool milestoneAsSubtask) {
    TasksByCode byCode(app.ActiveProject().Tasks());
    for (const std::shared_ptr<KovaCE>& ce : list) {
        if (!ce || !ce->Milestone || ce->StandAlone) continue;
        msp::Task milestone = byCode.First(ce->CECode);
        msp::Task parent = byCode.First(ce->CEParent);
        if (!milestone || !parent) continue;
        parent.SetMilestone(false);
        Err().Clear();
        msp::Task pasted = MoveTaskBelowSubtree(app, milestone, parent);
        if (!pasted) {
            Err().Clear();
            continue;
        }
        // A milestone that is no subtask ends beside its parent, at the parent's level.
        if (!milestoneAsSubtask)
            if (std::optional<int32_t> beside = ReadLevel(parent.Text5()))
                pasted.SetText5(std::to_string(*beside));
        Err().Clear();
        const std::optional<int32_t> wanted = ReadLevel(pasted.Text5());
        for (int step = 0; wanted && step < kMaxOutlineSteps; ++step) {
            const int32_t level = pasted.OutlineLevel();
            if (level == *wanted) break;
            if (level < *wanted)
                pasted.OutlineIndent();
            else
                pasted.OutlineOutdent();
            Err().Clear();
            if (pasted.OutlineLevel() == level) break;
        }
        Err().Clear();
    }
}

void DateMilestones(msp::Application& app, const KovaDataObjects::Collection<KovaCE>& list) {
    for (const std::shared_ptr<KovaCE>& ce : list) {
        if (!ce || !ce->Milestone || ce->StandAlone) continue;
        // The localized test word: the literal "=" fails in a program of another language.
        msp::Task parent = FindByCode(app, ce->CEParent);
        if (!parent) continue;
        msp::Task milestone = FindByCode(app, ce->CECode);
        if (!milestone) continue;
        ScheduleMilestoneAfterParent(milestone, parent, ScheduleDateOrNone(ce->StartDate));
        Err().Clear();
    }
}

} // namespace

std::function<void()>& SortTasksOnChargeElementCodeStep() {
    static std::function<void()> step;
    return step;
}

double ConvertDurationUnits(double minutes) {
    if (!MSProjectApplication) return 0;
    msp::Project plan = MSProjectApplication->ActiveProject();
    switch (plan.DefaultDurationUnits()) {
    case 3: return minutes;
    case 5: return minutes / 60;
    case 7: {
        const double hours = plan.HoursPerDay();
        return hours != 0 ? minutes / (hours * 60) : 0;
    }
    case 9: {
        const double hours = plan.HoursPerWeek();
        return hours != 0 ? minutes / (hours * 60) : 0;
    }
    default: return 0;
    }
}

void FillTaskFromKovaCE(msp::Task& task, const KovaCE& given, bool milestoneAsSubtask) {
    KovaCE ce = given;
    if (!ElementDatesFit(ce)) ce.StartDate = ce.FinishDate = Date();
    task.SetText1(ce.CECode);
    task.SetText10(GetChargeElementTypeName(std::to_string(ce.CEType)));
    task.SetFlag2(true);
    task.SetFlag3(true);
    task.SetMilestone(false);
    if (ce.Milestone) {
        if (milestoneAsSubtask) task.SetStart(ce.StartDate);
        task.SetMilestone(true);
        task.SetDuration(Variant(0.0));
    } else if (!ce.StartDate.IsZero()) {
        task.SetConstraintType(4);
        task.SetConstraintDate(Variant(ce.StartDate));
        Date from = CDate(task.ConstraintDate());
        if (MSProjectApplication)
            task.SetDuration(
                Variant(static_cast<double>(MSProjectApplication->DateDifference(from, ce.FinishDate))));
        task.SetMilestone(false);
    }
    task.SetText12(ce.OBSelement);
    task.SetText15(Trim(ce.CEParent));
    task.SetDateField(9, Variant(task.Start()));
    task.SetDateField(10, Variant(task.Finish()));
    task.SetNumber20(task.PercentComplete());
}

namespace {

// The lag of the link is worked out so that the milestone lands on its own date; a schedule that has
// not yet applied the lag leaves it on the parent's start or finish. A date inside the parent's span is
// the one the link holds, so the milestone takes it at once.
void KeepDateTheLagGives(msp::Task& m, msp::Task& p, const Date& d) {
    if (m.Start() != d && d >= p.Start() && d <= p.Finish()) m.SetStart(d);
}

} // namespace

void ScheduleMilestoneAfterParent(msp::Task& m, msp::Task& p, const Date& d) {
    if (!MSProjectApplication) return Err().Raise(platform::automation::errors::ObjectNotSet);
    msp::Application& app = *MSProjectApplication;
    const Date pStart = p.Start();
    const Date pFinish = p.Finish();
    if (d.IsZero() || d == pStart) {
        m.LinkPredecessors(p, msp::pjFinishToStart, Variant("0"));
        if (m.Start() != p.Start())
            m.SetStart(p.Start());
        else
            m.SetConstraintDate(Variant(m.Start()));
    } else {
        const Date middle(pStart.Serial() + (pFinish.Serial() - pStart.Serial()) / 2);
        if (d >= middle) {
            m.SetStart(pFinish);
            const double lag = -ConvertDurationUnits(app.DateDifference(d, pFinish));
            m.LinkPredecessors(p, msp::pjFinishToFinish, Variant(CStr(Variant(lag))));
            KeepDateTheLagGives(m, p, d);
            const Date mStart = m.Start();
            if (p.Finish() == mStart)
                m.SetConstraintDate(Variant(mStart));
            else if (!(mStart >= p.Start() && mStart < p.Finish()))
                m.SetStart(p.Finish());
        } else {
            m.SetStart(pStart);
            const double lag = ConvertDurationUnits(app.DateDifference(pStart, d));
            m.LinkPredecessors(p, msp::pjStartToStart, Variant(CStr(Variant(lag))));
            KeepDateTheLagGives(m, p, d);
            const Date mStart = m.Start();
            if (p.Start() == mStart)
                m.SetConstraintDate(Variant(mStart));
            else if (!(mStart > p.Start() && mStart <= p.Finish()))
                m.SetStart(p.Start());
        }
    }
    m.SetDateField(9, Variant(m.Start()));
    m.SetDateField(10, Variant(m.Finish()));
}

void ApplyOutlineLevels() {
    if (!MSProjectApplication) return Err().Raise(platform::automation::errors::ObjectNotSet);
    msp::Tasks tasks = MSProjectApplication->ActiveProject().Tasks();
    int32_t deepest = 0;
    for (int32_t i = 1; i <= tasks.Count(); ++i) {
        msp::Task t = tasks.Item(i);
        if (!t) continue;
        if (std::optional<int32_t> level = ReadLevel(t.Text5()); level && *level > deepest) deepest = *level;
    }
    Err().Clear();
    for (int32_t level = deepest; level >= 2; --level) {
        for (int32_t i = 1; i <= tasks.Count(); ++i) {
            msp::Task t = tasks.Item(i);
            // Milestones are indented too: one left at level 1 amid the structure would end the subtree
            // above it, and the tasks after it would stay too high. The milestone pass moves them.
            if (!t) continue;
            if (ReadLevel(t.Text5()) == level) t.OutlineIndent();
            Err().Clear();
        }
    }
}

void TransferChargeStructureToProject() {
    Err().Clear();
    const bool milestoneAsSubtask = GetMilestoneAsSubtask();
    Err().Clear();
    os::PrintLine(os::LogFileNumber, "Transferring Charge Breakdown Structure...");
    Err().Clear();

    const std::string path = GetBceFilePath();
    os::RandomFile file;
    if (!path.empty()) {
        os::Kill(path);
        Err().Clear();
        file.Open(path, ChargeElementRecord::kLength, os::RandomAccess::Write);
    }
    Err().Clear();

    if (!MSProjectApplication || !CurrentProjectData) {
        file.Close();
        return Err().Raise(platform::automation::errors::ObjectNotSet);
    }
    msp::Application& app = *MSProjectApplication;
    const KovaDataObjects::OptionalCollection<KovaCE>& list = CurrentProjectData->ChargeElements;
    os::FixedRecord record(ChargeElementRecord::kLength);
    int32_t records = 0; // as ChargeElementTable::recordCount
    auto append = [&](const KovaCE& ce) {
        FillChargeElementRecord(ce, record);
        if (file.IsOpen()) file.Put(record);
        ++records;
        Err().Clear();
    };

    if (list) {
        for (const std::shared_ptr<KovaCE>& ce : *list) {
            if (!ce || !ce->StandAlone) continue;
            msp::Task task = app.ActiveProject().Tasks().Add(ce->CEDescription);
            if (task) {
                if (!ScheduleDateOrNone(ce->StartDate).IsZero()) task.SetStart(ce->StartDate);
                FillTaskFromKovaCE(task, *ce, milestoneAsSubtask);
                // A stand-alone milestone has no parent in the plan, whatever the ERP names as its
                // parent: the synchronisation and the sort tell them by the empty parent code.
                task.SetText15("");
                task.SetText5("1");
            }
            append(*ce);
        }
        const std::string node = Trim(CurrentProjectData->ConnectedCE);
        for (const std::shared_ptr<KovaCE>& ce : *list) {
            if (!ce || ce->StandAlone) continue;
            msp::Tasks tasks = app.ActiveProject().Tasks();
            msp::Task task = tasks.Add(ce->CEDescription);
            if (task && ce->CECode == node) {
                FillTaskFromKovaCE(task, *ce, milestoneAsSubtask);
                task.SetFlag1(true);
                task.SetText5("1");
            } else if (task) {
                const std::string parentCode = Trim(ce->CEParent);
                app.Find(kChargeElementCodeField, GetFilterTestText(1), Variant(parentCode), false, true);
                Err().Clear();
                msp::Task active = app.ActiveCell().Task();
                msp::Task parent = active ? tasks.Item(active.Id()) : msp::Task{};
                Err().Clear();
                if (parent && parent.Text1() == parentCode) {
                    // Every element, milestones too, is first outlined below its parent: a milestone
                    // beside it would take the parent's later children as its own. The milestone
                    // pass then moves it to its place.
                    const int32_t level = ReadLevel(parent.Text5()).value_or(0) + 1;
                    FillTaskFromKovaCE(task, *ce, milestoneAsSubtask);
                    task.SetText5(std::to_string(level));
                }
            }
            Err().Clear();
            append(*ce);
        }
    }

    ApplyOutlineLevels();
    Err().Clear();
    file.Close();
    ChargeElements().recordCount = records;
    Err().Clear();

    if (list) {
        PlaceMilestones(app, *list, milestoneAsSubtask);
        if (!milestoneAsSubtask) DateMilestones(app, *list);
    }
    Err().Clear();

    if (GetSortTasksOnCECode() && SortTasksOnChargeElementCodeStep()) SortTasksOnChargeElementCodeStep()();
    Err().Clear();
}

} // namespace Grantry
