#pragma once
// Test support built into the stand-in: fault injection, ProgID removal, a call log, a page-size cap,
// the completion-flag texts, a settable "now" for the date objects, and the date objects' rollover.
// One set per process; Reset() puts everything back to normal.
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/Date.h"
#include "platform/automation/Object.h"

namespace platform::middleware {

// Makes calls fail. A call matches when its object's class name or origin (the ProgID of the manager
// that made the object) equals `target` and its member equals `member`, both without regard to case;
// "*" matches anything.
struct Fault {
    std::string target;
    std::string member;
    int occurrence = 0; // only the n-th matching call since the fault was armed; 0 = every matching call
    int32_t number = 0;
    std::string source;
    std::string description;     // empty: the standard text of the number
    bool returnsNothing = false; // the call answers Nothing, with no error, instead of failing

    // The n-th matching call (0 = every one) fails with this number and texts.
    static Fault Error(std::string target, std::string member, int32_t number, int occurrence = 0,
                       std::string description = {}, std::string source = {}) {
        return Fault{std::move(target), std::move(member),      occurrence, number,
                     std::move(source), std::move(description), false};
    }
    // The n-th matching call (0 = every one) answers Nothing.
    static Fault Nothing(std::string target, std::string member, int occurrence = 0) {
        return Fault{std::move(target), std::move(member), occurrence, 0, {}, {}, true};
    }
};

struct LoggedArg {
    platform::automation::Variant value; // as passed, before the callee wrote anything back
    platform::automation::VarType type;
    bool byRef;
};

struct LoggedCall {
    std::string className;
    std::string origin;
    std::string member; // as the caller spelled it; empty for a creation
    platform::automation::CallKind kind = platform::automation::CallKind::Method;
    std::vector<LoggedArg> args;
    bool creation = false; // CreateObject / GetObject made the object

    // "Project.ProjectManager.List(\"\" String, \"zzzz\" String, 0 Integer, ...)" for test messages.
    std::string Describe() const;
};

class TestControl {
public:
    static TestControl& Instance();

    // No faults, no log, no cap, "Y"/"N", the real clock, rollover on, every ProgID registered, no
    // open paged lists.
    void Reset();

    // Faults; ArmFault returns an id for DisarmFault.
    int ArmFault(Fault fault);
    void DisarmFault(int id);
    void ClearFaults();
    // Called by the stand-in objects for every call: the fault that fires for it, if any.
    std::optional<Fault> FaultFor(const std::string& className, const std::string& origin,
                                  std::string_view member);

    // Removes a ProgID from the class registry (creating it then fails with 429) until RestoreProgIds.
    void UnregisterProgId(const std::string& progId);
    void RestoreProgIds();

    // The call log of every stand-in object (creations included), while it runs.
    void StartCallLog();
    void StopCallLog();
    void ClearCallLog();
    bool Logging() const { return logging_; }
    void Log(LoggedCall call);
    std::vector<LoggedCall> Calls() const;
    std::vector<LoggedCall> CallsTo(std::string_view member) const; // without regard to case
    bool WasCalled(std::string_view member) const { return !CallsTo(member).empty(); }

    // Paged lists serve at most this many elements per page (0 = only the requested batch size counts).
    void SetPageSizeCap(int32_t cap) { pageCap_ = cap; }
    int32_t PageSizeCap() const { return pageCap_; }
    // The texts of the completion flag ("Y" and "N" normally; tests may use " Y " or "y").
    void SetCompletionFlags(std::string complete, std::string incomplete);
    const std::string& CompleteFlag() const { return complete_; }
    const std::string& IncompleteFlag() const { return incomplete_; }

    // The moment a new date object starts at, and the clock of the backend's own stamps.
    void SetNow(platform::automation::Date now) { now_ = now; }
    void ClearNow() { now_.reset(); }
    platform::automation::Date Now() const;
    // Off: date objects keep their fields as set (hour 24 stays 24) instead of carrying over.
    void SetDateRollover(bool on) { rollover_ = on; }
    bool DateRollover() const { return rollover_; }

private:
    TestControl() = default;
    struct Armed {
        int id;
        Fault fault;
        int seen = 0;
    };
    mutable std::mutex lock_;
    std::vector<Armed> faults_;
    int nextFaultId_ = 1;
    std::set<std::string> unregistered_;
    bool logging_ = false;
    std::vector<LoggedCall> log_;
    int32_t pageCap_ = 0;
    std::string complete_ = "Y";
    std::string incomplete_ = "N";
    std::optional<platform::automation::Date> now_;
    bool rollover_ = true;
};

} // namespace platform::middleware
