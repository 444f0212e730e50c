#include "platform/middleware/TestControl.h"

#include <algorithm>

#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/Paging.h"
#include "platform/middleware/Registration.h"

namespace platform::middleware {

using namespace platform::automation;

namespace {
bool Matches(const std::string& pattern, std::string_view value) {
    return pattern == "*" || NamesEqual(pattern, value);
}

std::string TypeName(VarType t) {
    switch (t) {
    case VarType::Empty: return "Empty";
    case VarType::Null: return "Null";
    case VarType::Integer: return "Integer";
    case VarType::Long: return "Long";
    case VarType::Single: return "Single";
    case VarType::Double: return "Double";
    case VarType::Currency: return "Currency";
    case VarType::Date: return "Date";
    case VarType::String: return "String";
    case VarType::Object: return "Object";
    case VarType::Boolean: return "Boolean";
    }
    return "?";
}
} // namespace

std::string LoggedCall::Describe() const {
    std::string text = className + (creation ? " created" : "." + member + "(");
    if (creation) return text;
    for (size_t i = 0; i < args.size(); ++i) {
        if (i) text += ", ";
        const auto& a = args[i];
        if (a.byRef) text += "ByRef ";
        if (a.type == VarType::String)
            text += "\"" + *a.value.Peek<std::string>() + "\"";
        else if (a.type == VarType::Object)
            text += a.value.Peek<Object>()->IsNothing() ? "Nothing" : "<object>";
        else
            text += CStr(a.value);
        text += " " + TypeName(a.type);
    }
    return text + ")";
}

TestControl& TestControl::Instance() {
    static TestControl control;
    return control;
}

void TestControl::Reset() {
    ClearFaults();
    RestoreProgIds();
    StopCallLog();
    ClearCallLog();
    pageCap_ = 0;
    SetCompletionFlags("Y", "N");
    now_.reset();
    rollover_ = true;
    CloseAllCursors();
}

int TestControl::ArmFault(Fault fault) {
    std::lock_guard g(lock_);
    faults_.push_back({nextFaultId_, std::move(fault)});
    return nextFaultId_++;
}

void TestControl::DisarmFault(int id) {
    std::lock_guard g(lock_);
    std::erase_if(faults_, [&](const Armed& a) { return a.id == id; });
}

void TestControl::ClearFaults() {
    std::lock_guard g(lock_);
    faults_.clear();
}

std::optional<Fault> TestControl::FaultFor(const std::string& className, const std::string& origin,
                                           std::string_view member) {
    std::lock_guard g(lock_);
    for (auto& armed : faults_) {
        const Fault& f = armed.fault;
        if (!Matches(f.member, member)) continue;
        if (!Matches(f.target, className) && !Matches(f.target, origin)) continue;
        ++armed.seen;
        if (f.occurrence == 0 || armed.seen == f.occurrence) return f;
    }
    return std::nullopt;
}

void TestControl::UnregisterProgId(const std::string& progId) {
    UnregisterClass(progId);
    std::lock_guard g(lock_);
    unregistered_.insert(progId);
}

void TestControl::RestoreProgIds() {
    {
        std::lock_guard g(lock_);
        if (unregistered_.empty()) return;
        unregistered_.clear();
    }
    RegisterMiddleware();
}

void TestControl::StartCallLog() {
    logging_ = true;
}
void TestControl::StopCallLog() {
    logging_ = false;
}
void TestControl::ClearCallLog() {
    std::lock_guard g(lock_);
    log_.clear();
}

void TestControl::Log(LoggedCall call) {
    if (!logging_) return;
    std::lock_guard g(lock_);
    log_.push_back(std::move(call));
}

std::vector<LoggedCall> TestControl::Calls() const {
    std::lock_guard g(lock_);
    return log_;
}

std::vector<LoggedCall> TestControl::CallsTo(std::string_view member) const {
    std::lock_guard g(lock_);
    std::vector<LoggedCall> out;
    for (const auto& c : log_)
        if (!c.creation && NamesEqual(c.member, member)) out.push_back(c);
    return out;
}

void TestControl::SetCompletionFlags(std::string complete, std::string incomplete) {
    complete_ = std::move(complete);
    incomplete_ = std::move(incomplete);
}

Date TestControl::Now() const {
    return now_ ? *now_ : Date::Now();
}

} // namespace platform::middleware
