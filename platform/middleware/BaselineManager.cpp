#include "platform/middleware/BaselineManager.h"

#include "platform/middleware/AdapterConfig.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/JavaDate.h"
#include "platform/middleware/Paging.h"
#include "platform/middleware/ProgIds.h"
#include "platform/middleware/TestControl.h"

namespace platform::middleware {

using namespace platform::automation;

namespace {
constexpr int32_t kFree = 1;
constexpr int32_t kApproved = 2;

std::string StoredProject(Database& db, const std::string& project) {
    Variant stored =
        db.Scalar("SELECT project_id FROM project WHERE trim(project_id, ' ') = ?", {TrimBlanks(project)});
    if (stored.IsEmpty())
        throw Failure(failures::NotFound, "The project " + TrimBlanks(project) + " does not exist.");
    return CStr(stored);
}

Variant StatusOf(Database& db, const std::string& project, int32_t id) {
    return db.Scalar("SELECT status FROM baseline WHERE project_id = ? AND baseline_id = ?", {project, id});
}
} // namespace

BaselineManager::BaselineManager() : ManagerOf(progids::BaselineManager) {}

const EntityKind& BaselineManager::RecordKind() {
    static const EntityKind kind{
        "Baseline.Baseline",
        "baseline",
        {
            {"ProjectID", "project_id", FieldType::Text, {"getProjectID"}, {}, true},
            {"BaselineID", "baseline_id", FieldType::Long, {"getBaselineID", "getNewBaselineID"}, {}, true},
            {"Description", "description", FieldType::Text, {"getBaselineDescription"}, {}},
            {"Status", "status", FieldType::Long, {"getBaselineStatus"}, {}},
            {"DerivedFrom", "derived_from", FieldType::Long, {"getDerivedFromBaseline"}, {}},
            {"Changed", "changed_ts", FieldType::Stamp, {"getChangedDate"}, {}},
        }};
    return kind;
}

const MemberTable<BaselineManager>& BaselineManager::Members() {
    using M = BaselineManager;
    static const MemberTable<M> table = {
        {"List",
         [](M& m, CallArgs& a) -> Variant {
             auto found = LoadEntities(
                 m.Db(), RecordKind(), "trim(project_id, ' ') = ? AND baseline_id >= ? AND baseline_id <= ?",
                 {TrimBlanks(a.String(0)), a.Long(1), a.Long(2)}, "baseline_id", m.progId());
             return Variant(MakeEnumeration("Baseline.BaselineEnumeration", m.progId(), AsObjects(found)));
         }},
        {"createBaseline",
         [](M& m, CallArgs& a) -> Variant {
             Database& db = m.Db();
             std::string project = StoredProject(db, a.String(0));
             int32_t from = a.Long(1);
             std::string description = a.String(2);
             if (from != 0 && StatusOf(db, project, from) != Variant(kApproved))
                 throw Failure(failures::Refused,
                               "A baseline can only be derived from an approved baseline; " +
                                   std::to_string(from) + " is none of the project " + TrimBlanks(project) +
                                   ".");
             int32_t id = 0;
             {
                 Database::Transaction tx(db);
                 id = static_cast<int32_t>(CLng(
                          db.Scalar("SELECT coalesce(max(baseline_id), 0) FROM baseline WHERE project_id = ?",
                                    {project}))) +
                      1;
                 db.Run("INSERT INTO baseline(project_id, baseline_id, description, status, derived_from, "
                        "changed_ts) VALUES (?,?,?,?,?,?)",
                        {project, id, description, kFree, from, StampOf(TestControl::Instance().Now())});
                 tx.Commit();
             }
             auto made = LoadEntities(db, RecordKind(), "project_id = ? AND baseline_id = ?", {project, id},
                                      "", m.progId());
             return Variant(Object(made.front()));
         }},
        {"changeBaseline",
         [](M& m, CallArgs& a) -> Variant {
             Database& db = m.Db();
             std::string project = StoredProject(db, a.String(0));
             int32_t id = a.Long(1);
             Variant status = StatusOf(db, project, id);
             if (status.IsEmpty())
                 throw Failure(failures::NotFound, "The baseline " + std::to_string(id) + " of the project " +
                                                       TrimBlanks(project) + " does not exist.");
             if (status != Variant(kFree))
                 throw Failure(failures::Refused,
                               "The baseline " + std::to_string(id) + " is not free and cannot be changed.");
             db.Run("UPDATE baseline SET changed_ts = ? WHERE project_id = ? AND baseline_id = ?",
                    {StampOf(TestControl::Instance().Now()), project, id});
             return Variant();
         }},
    };
    return table;
}

} // namespace platform::middleware
