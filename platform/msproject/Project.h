#pragma once
// An open plan and the collection of open plans.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/Date.h"
#include "platform/msproject/Calendar.h"
#include "platform/msproject/DocumentProperties.h"
#include "platform/msproject/Handle.h"
#include "platform/msproject/Resource.h"
#include "platform/msproject/Task.h"

namespace platform::msproject {

namespace detail {
struct PlanData;
struct AppState;
} // namespace detail

class Application;

class Project : public Handle<detail::PlanData> {
public:
    // The file name as shown: "Plan.mpp" once saved, "Project1" before.
    std::string Name() const;
    // The folder it is stored in ("" before the first save); a folder beginning with "<" marks a
    // plan held on a server.
    std::string Path() const;
    std::string FullName() const;
    bool Saved() const;
    void SetSaved(bool value);
    // Open read-only: another instance holds the file, so a save asks for another name.
    bool ReadOnly() const;
    int32_t Index() const; // position among the open plans

    platform::msproject::Tasks Tasks() const;
    platform::msproject::Resources Resources() const;
    Task ProjectSummaryTask() const;
    Calendars BaseCalendars() const;
    platform::msproject::Calendar Calendar() const; // the project calendar
    platform::msproject::CustomDocumentProperties CustomDocumentProperties() const;

    std::string CurrentView() const;
    std::string CurrentFilter() const;
    std::vector<std::string> ViewList() const;
    std::vector<std::string> TaskTableList() const;
    std::vector<std::string> ResourceTableList() const;
    std::vector<std::string> TaskFilterList() const;
    std::vector<std::string> ResourceFilterList() const;

    platform::automation::Date Start() const;
    void SetStart(const platform::automation::Date& value);
    platform::automation::Date ProjectStart() const { return Start(); }
    platform::automation::Date Finish() const;
    std::string Title() const;
    void SetTitle(const std::string& value);
    std::string Author() const;
    void SetAuthor(const std::string& value);
    std::string Company() const;
    void SetCompany(const std::string& value);
    std::string CurrencySymbol() const;
    void SetCurrencySymbol(const std::string& value);
    bool HonorConstraints() const;
    void SetHonorConstraints(bool value);
    int32_t DefaultDurationUnits() const; // 3 minutes, 5 hours, 7 days, 9 weeks
    void SetDefaultDurationUnits(int32_t value);
    int32_t DefaultWorkUnits() const;
    void SetDefaultWorkUnits(int32_t value);
    double HoursPerDay() const;
    void SetHoursPerDay(double value);
    double HoursPerWeek() const;
    void SetHoursPerWeek(double value);

    // Makes this plan the active one (as activating its window does).
    void Activate();
    platform::msproject::Application* Application() const;
};

class Projects : public Handle<detail::AppState> {
public:
    int32_t Count() const;
    Project Item(int32_t index) const;         // 1-based; out of range: 1004
    Project Item(std::string_view name) const; // by name, with or without ".mpp"; missing: 1004
    // A new blank plan, made the active one.
    Project Add(bool DisplayProjectInfo = true);
    LiveIterator<Projects, Project> begin() const { return {this, 1}; }
    LiveIterator<Projects, Project> end() const { return {this, 0}; }
};

// What ActiveCell gives: the task or resource of the active row (Nothing on a blank row, the empty
// row after the last, or in a view of the other kind).
class Cell {
public:
    platform::msproject::Task Task() const { return task_; }
    platform::msproject::Resource Resource() const { return resource_; }
    platform::msproject::Application* Application() const { return app_; }
    std::string FieldName() const { return fieldName_; }

private:
    friend class platform::msproject::Application;
    platform::msproject::Task task_;
    platform::msproject::Resource resource_;
    platform::msproject::Application* app_ = nullptr;
    std::string fieldName_;
};

} // namespace platform::msproject
