#include "platform/middleware/Schema.h"

#include <string>

namespace platform::middleware {

namespace {

// Times are kept as 14-digit stamps (YYYYMMDDhhmmss), calendar dates as ISO text (YYYY-MM-DD), times of
// day as HHMM numbers (2400 = end of day). Texts are kept as given, padding included.
constexpr const char* kSchemaV1 = R"sql(
CREATE TABLE company(
  company_number INTEGER PRIMARY KEY,
  name TEXT NOT NULL DEFAULT '');

CREATE TABLE erp_release(
  release_id TEXT NOT NULL);

CREATE TABLE planning_parameters(
  company_number INTEGER PRIMARY KEY,
  transfer_equipment INTEGER, transfer_trade_groups INTEGER, transfer_employees INTEGER,
  transfer_labor INTEGER, transfer_subcontracting INTEGER, transfer_sundry INTEGER,
  transfer_material INTEGER,
  date_type_for_scheduling INTEGER,
  currency TEXT,
  default_availability_type TEXT);

CREATE TABLE availability_type(
  code TEXT PRIMARY KEY,
  description TEXT NOT NULL DEFAULT '',
  sort INTEGER NOT NULL DEFAULT 0);

-- projects, plans, baselines
CREATE TABLE project(
  project_id TEXT PRIMARY KEY,
  company_number INTEGER NOT NULL,
  description TEXT NOT NULL DEFAULT '',
  start_ts TEXT, finish_ts TEXT,
  leading_plan_id TEXT NOT NULL DEFAULT '',
  obs_id TEXT NOT NULL DEFAULT '',
  budget_type_pb INTEGER NOT NULL DEFAULT 1,   -- budget type for the project budget (1/2)
  budget_type_pc INTEGER NOT NULL DEFAULT 1,   -- budget type for project control (1/2)
  sort INTEGER NOT NULL DEFAULT 0);

CREATE TABLE plan(
  project_id TEXT NOT NULL REFERENCES project(project_id),
  plan_id TEXT NOT NULL,
  description TEXT NOT NULL DEFAULT '',
  top_ce_id TEXT NOT NULL DEFAULT '',
  sort INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY(project_id, plan_id));

CREATE TABLE baseline(
  project_id TEXT NOT NULL REFERENCES project(project_id),
  baseline_id INTEGER NOT NULL,
  description TEXT NOT NULL DEFAULT '',
  status INTEGER NOT NULL DEFAULT 1,           -- 1 free, 2 approved
  derived_from INTEGER NOT NULL DEFAULT 0,     -- 0 = not derived
  changed_ts TEXT,
  PRIMARY KEY(project_id, baseline_id));

-- charge breakdown structure
CREATE TABLE charge_element(
  project_id TEXT NOT NULL,
  plan_id TEXT NOT NULL,
  ce_id TEXT NOT NULL,                         -- at most 8 characters, never "." or "_"
  description TEXT NOT NULL DEFAULT '',
  ce_type INTEGER NOT NULL,                    -- 1 WBS element ... 4 work package, 5 milestone
  parent_ce_id TEXT NOT NULL DEFAULT '',
  linked_ce_id TEXT NOT NULL DEFAULT '',       -- milestones: the element they belong to
  obs_element_id TEXT NOT NULL DEFAULT '',
  connectable INTEGER NOT NULL DEFAULT 1,      -- 1 = a plan may connect to it
  sched_start_ts TEXT, sched_finish_ts TEXT,
  actual_start_ts TEXT, actual_finish_ts TEXT,
  percent_complete REAL NOT NULL DEFAULT 0,
  derived_from_sce TEXT NOT NULL DEFAULT '',
  ev_as_milestone INTEGER NOT NULL DEFAULT 0,
  has_costs INTEGER NOT NULL DEFAULT 0,        -- costs booked: the element cannot be deleted
  sort INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY(project_id, plan_id, ce_id),
  FOREIGN KEY(project_id, plan_id) REFERENCES plan(project_id, plan_id));

CREATE TABLE external_schedule_link(
  project_id TEXT NOT NULL,
  plan_id TEXT NOT NULL,
  ce_id TEXT NOT NULL,                         -- the connection node; '' = the whole plan
  ownership INTEGER NOT NULL DEFAULT 0,        -- 1 ERP owns, 2 plan owns, 3/4 transfer pending
  external_schedule TEXT NOT NULL DEFAULT '',  -- the plan file's name
  PRIMARY KEY(project_id, plan_id, ce_id),
  FOREIGN KEY(project_id, plan_id) REFERENCES plan(project_id, plan_id));

CREATE TABLE standard_charge_element(
  code TEXT PRIMARY KEY,
  description TEXT NOT NULL DEFAULT '',
  ce_type TEXT NOT NULL DEFAULT '',            -- "1" to "5"
  sort INTEGER NOT NULL DEFAULT 0);

-- counters behind generated codes, so that the same requests give the same codes
CREATE TABLE code_counter(
  prefix TEXT PRIMARY KEY,
  next INTEGER NOT NULL);

-- budget lines of the five cost types (1 material, 2 labor, 3 equipment, 4 subcontracting, 5 sundry)
CREATE TABLE budget_line(
  project_id TEXT NOT NULL,
  plan_id TEXT NOT NULL,
  ce_id TEXT NOT NULL,
  cost_type INTEGER NOT NULL,
  seq_no INTEGER NOT NULL,                     -- unique within the charge element
  cost_object TEXT NOT NULL DEFAULT '',
  cost_object_project TEXT NOT NULL DEFAULT '',-- '' = a standard cost object
  reference_type INTEGER NOT NULL DEFAULT 2,   -- 1 = the project's own cost object
  employee TEXT NOT NULL DEFAULT '',
  trade_group TEXT NOT NULL DEFAULT '',
  unit TEXT NOT NULL DEFAULT '',
  quantity REAL NOT NULL DEFAULT 0,
  required_quantity REAL NOT NULL DEFAULT 0,
  net_quantity REAL NOT NULL DEFAULT 0,
  duration REAL NOT NULL DEFAULT 0,
  required_duration REAL NOT NULL DEFAULT 0,
  cost_amount REAL NOT NULL DEFAULT 0,
  start_ts TEXT, finish_ts TEXT,
  schedule_link INTEGER NOT NULL DEFAULT 1,    -- 1 no link, 2 waiting to be scheduled, 3 linked
  external_schedule TEXT NOT NULL DEFAULT '',
  refuse_message TEXT NOT NULL DEFAULT '',     -- not empty: an update of the line is refused with it
  PRIMARY KEY(project_id, plan_id, ce_id, seq_no),
  FOREIGN KEY(project_id, plan_id, ce_id) REFERENCES charge_element(project_id, plan_id, ce_id));
-- the managers look lines up by their keys without the padding the keys may carry
CREATE INDEX budget_line_by_trimmed_keys ON budget_line(trim(project_id, ' '), trim(plan_id, ' '),
  trim(ce_id, ' '), cost_type);

-- resources and cost objects
CREATE TABLE cost_object(
  kind TEXT NOT NULL,                          -- MAT LAB SUB SUN EQP
  project_id TEXT NOT NULL DEFAULT '',         -- '' = standard
  code TEXT NOT NULL,
  description TEXT NOT NULL DEFAULT '',
  unit TEXT NOT NULL DEFAULT '',
  cost_price REAL NOT NULL DEFAULT 0,
  cost_rate REAL NOT NULL DEFAULT 0,
  calendar TEXT NOT NULL DEFAULT '',
  available_units REAL NOT NULL DEFAULT 0,
  sort INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY(kind, project_id, code));

CREATE TABLE employee(
  code TEXT PRIMARY KEY,
  name TEXT NOT NULL DEFAULT '',
  department TEXT NOT NULL DEFAULT '',
  calendar_code TEXT NOT NULL DEFAULT '',
  email TEXT NOT NULL DEFAULT '',
  sort INTEGER NOT NULL DEFAULT 0);

CREATE TABLE trade_group(
  code TEXT PRIMARY KEY,
  description TEXT NOT NULL DEFAULT '',
  calendar TEXT NOT NULL DEFAULT '',
  cost_rate REAL NOT NULL DEFAULT 0,
  number_of_employees REAL NOT NULL DEFAULT 0,
  sort INTEGER NOT NULL DEFAULT 0);

CREATE TABLE obs_element(
  element_id TEXT PRIMARY KEY,
  parent_id TEXT NOT NULL DEFAULT '',
  description TEXT NOT NULL DEFAULT '',
  sort INTEGER NOT NULL DEFAULT 0);

-- calendars
CREATE TABLE calendar(
  code TEXT NOT NULL,
  availability_type TEXT NOT NULL DEFAULT '',  -- '' = the default availability
  start_date TEXT NOT NULL DEFAULT '',
  end_date TEXT NOT NULL DEFAULT '',
  parent_code TEXT NOT NULL DEFAULT '',
  sort INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY(code, availability_type));

CREATE TABLE standard_calendar_line(
  availability_type TEXT NOT NULL,
  line_no INTEGER NOT NULL,
  day_name TEXT NOT NULL,                      -- "1" Sunday to "7" Saturday
  start_time INTEGER NOT NULL,
  end_time INTEGER NOT NULL,
  PRIMARY KEY(availability_type, line_no));

CREATE TABLE calendar_exception_line(
  calendar_code TEXT NOT NULL,
  availability_type TEXT NOT NULL DEFAULT '',
  line_no INTEGER NOT NULL,
  date TEXT NOT NULL,
  start_time INTEGER NOT NULL DEFAULT 0,
  end_time INTEGER NOT NULL DEFAULT 0,
  working INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY(calendar_code, availability_type, line_no));

CREATE TABLE actual_calendar_line(
  calendar_code TEXT NOT NULL,
  availability_type TEXT NOT NULL DEFAULT '',
  line_no INTEGER NOT NULL,
  line_availability_type TEXT NOT NULL DEFAULT '',
  start_date TEXT NOT NULL DEFAULT '',
  end_date TEXT NOT NULL DEFAULT '',
  start_time INTEGER NOT NULL DEFAULT 0,
  end_time INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY(calendar_code, availability_type, line_no));
)sql";

} // namespace

int SchemaVersion(Database& db) {
    return static_cast<int>(platform::automation::CLng(db.Scalar("PRAGMA user_version")));
}

void CreateSchema(Database& db) {
    Database::Transaction tx(db);
    db.Exec(kSchemaV1);
    db.Run("INSERT INTO erp_release(release_id) VALUES (?)", {kDefaultReleaseId});
    db.Exec("PRAGMA user_version = " + std::to_string(kSchemaVersion));
    tx.Commit();
}

void EnsureSchema(Database& db) {
    int version = SchemaVersion(db);
    if (version == 0) throw DatabaseError(db.path().string() + " is not a backend database");
    if (version > kSchemaVersion)
        throw DatabaseError(db.path().string() + " was made by a newer version (schema " +
                            std::to_string(version) + ")");
    // Upgrades from older versions go here, one step per version.
}

} // namespace platform::middleware
