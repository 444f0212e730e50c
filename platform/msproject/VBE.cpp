// The macro editor's objects: macro projects, components, code modules and references.
#include "platform/msproject/VBE.h"

#include <algorithm>
#include <filesystem>

#include "platform/msproject/Application.h"
#include "platform/msproject/Model.h"

namespace platform::msproject {

using namespace detail;

namespace {

AppState& LiveApp(const std::shared_ptr<AppState>& app) {
    if (!app) Fail(kObjectNotSet);
    if (!app->running) Fail(kServerGone, "The remote server machine does not exist or is unavailable");
    return *app;
}

std::vector<std::shared_ptr<VBProjectData>> ProjectsOf(AppState& s) {
    std::vector<std::shared_ptr<VBProjectData>> out{s.global.vbProject};
    for (const auto& p : s.plans)
        out.push_back(p->items.vbProject);
    return out;
}

// ---- reading procedures from the lines

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool StartsWithWord(const std::string& text, const std::string& word, size_t& at) {
    if (text.compare(at, word.size(), word) != 0) return false;
    size_t end = at + word.size();
    if (end < text.size() && text[end] != ' ' && text[end] != '\t') return false;
    at = end;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    return true;
}

struct Declaration {
    std::string name;
    int32_t kind;
};

// "Private Sub Project_Activate(ByVal pj As Project)" -> {"project_activate", 0}
std::optional<Declaration> ParseDeclaration(const std::string& line) {
    std::string t = Lower(Trim(line));
    size_t at = 0;
    while (StartsWithWord(t, "public", at) || StartsWithWord(t, "private", at) ||
           StartsWithWord(t, "friend", at) || StartsWithWord(t, "static", at)) {
    }
    int32_t kind;
    if (StartsWithWord(t, "sub", at) || StartsWithWord(t, "function", at)) {
        kind = vbext_pk_Proc;
    } else if (StartsWithWord(t, "property", at)) {
        if (StartsWithWord(t, "get", at))
            kind = vbext_pk_Get;
        else if (StartsWithWord(t, "let", at))
            kind = vbext_pk_Let;
        else if (StartsWithWord(t, "set", at))
            kind = vbext_pk_Set;
        else
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    size_t end = at;
    while (end < t.size() && (std::isalnum(static_cast<unsigned char>(t[end])) || t[end] == '_'))
        ++end;
    if (end == at) return std::nullopt;
    return Declaration{t.substr(at, end - at), kind};
}

bool IsEndLine(const std::string& line) {
    std::string t = Lower(Trim(line));
    size_t at = 0;
    if (!StartsWithWord(t, "end", at)) return false;
    return t.compare(at, 3, "sub") == 0 || t.compare(at, 8, "function") == 0 ||
           t.compare(at, 8, "property") == 0;
}

bool IsBlankOrComment(const std::string& line) {
    std::string t = Lower(Trim(line));
    return t.empty() || t[0] == '\'' || t.rfind("rem ", 0) == 0 || t == "rem";
}

struct Procedure {
    int32_t start, body, end; // 1-based
};

Procedure FindProcedure(const ComponentData& c, const std::string& name, int32_t kind) {
    std::string wanted = Lower(name);
    const auto& lines = c.lines;
    for (size_t i = 0; i < lines.size(); ++i) {
        auto d = ParseDeclaration(lines[i]);
        if (!d || d->name != wanted || d->kind != kind) continue;
        size_t end = i;
        while (end < lines.size() && !IsEndLine(lines[end]))
            ++end;
        if (end == lines.size()) end = lines.size() - 1;
        // Comments and blank lines right above the declaration belong to the procedure.
        size_t start = i;
        while (start > 0 && IsBlankOrComment(lines[start - 1]))
            --start;
        return {static_cast<int32_t>(start + 1), static_cast<int32_t>(i + 1), static_cast<int32_t>(end + 1)};
    }
    Fail(kAppError, "The procedure \"" + name + "\" was not found.");
}

std::vector<std::string> SplitLines(const std::string& code) {
    std::vector<std::string> out;
    std::string line;
    for (size_t i = 0; i < code.size(); ++i) {
        char c = code[i];
        if (c == '\r' || c == '\n') {
            out.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < code.size() && code[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    out.push_back(line);
    return out;
}

template <class F> auto WithModule(const CodeModule& h, F&& f) {
    return Guard([&] { return f(Live(h)); });
}

} // namespace

// ---------------------------------------------------------------- code module

int32_t CodeModule::CountOfLines() const {
    return WithModule(*this, [](ComponentData& c) { return static_cast<int32_t>(c.lines.size()); });
}

std::string CodeModule::Lines(int32_t StartLine, int32_t Count) const {
    return WithModule(*this, [&](ComponentData& c) {
        if (StartLine < 1 || Count < 0 || StartLine - 1 + Count > static_cast<int32_t>(c.lines.size()))
            Fail(kSubscript, "Subscript out of range");
        std::string out;
        for (int32_t i = 0; i < Count; ++i) {
            if (i) out += "\r\n";
            out += c.lines[StartLine - 1 + i];
        }
        return out;
    });
}

int32_t CodeModule::ProcStartLine(const std::string& ProcName, int32_t ProcKind) const {
    return WithModule(*this, [&](ComponentData& c) { return FindProcedure(c, ProcName, ProcKind).start; });
}

int32_t CodeModule::ProcCountLines(const std::string& ProcName, int32_t ProcKind) const {
    return WithModule(*this, [&](ComponentData& c) {
        auto p = FindProcedure(c, ProcName, ProcKind);
        return p.end - p.start + 1;
    });
}

int32_t CodeModule::ProcBodyLine(const std::string& ProcName, int32_t ProcKind) const {
    return WithModule(*this, [&](ComponentData& c) { return FindProcedure(c, ProcName, ProcKind).body; });
}

void CodeModule::DeleteLines(int32_t StartLine, int32_t Count) {
    WithModule(*this, [&](ComponentData& c) {
        if (StartLine < 1 || Count < 0 || StartLine - 1 + Count > static_cast<int32_t>(c.lines.size()))
            Fail(kSubscript, "Subscript out of range");
        c.lines.erase(c.lines.begin() + (StartLine - 1), c.lines.begin() + (StartLine - 1 + Count));
    });
}

void CodeModule::InsertLines(int32_t Line, const std::string& Code) {
    WithModule(*this, [&](ComponentData& c) {
        if (Line < 1) Fail(kSubscript, "Subscript out of range");
        auto lines = SplitLines(Code);
        size_t at = std::min(static_cast<size_t>(Line - 1), c.lines.size());
        c.lines.insert(c.lines.begin() + static_cast<long>(at), lines.begin(), lines.end());
    });
}

void CodeModule::AddFromString(const std::string& Code) {
    WithModule(*this, [&](ComponentData& c) {
        auto lines = SplitLines(Code);
        c.lines.insert(c.lines.end(), lines.begin(), lines.end());
    });
}

void CodeModule::ReplaceLine(int32_t Line, const std::string& Code) {
    WithModule(*this, [&](ComponentData& c) {
        if (Line < 1 || Line > static_cast<int32_t>(c.lines.size()))
            Fail(kSubscript, "Subscript out of range");
        c.lines[Line - 1] = Code;
    });
}

int32_t CodeModule::CreateEventProc(const std::string& EventName, const std::string& ObjectName) {
    return WithModule(*this, [&](ComponentData& c) {
        static const char* const events[] = {"Activate",    "Deactivate", "BeforeClose", "BeforeSave",
                                             "BeforePrint", "Calculate",  "Change",      "Open"};
        if (c.type != vbext_ct_Document || !SameText(ObjectName, "Project"))
            Fail(kAppError, "The object \"" + ObjectName + "\" has no events here.");
        std::string event;
        for (const char* e : events)
            if (SameText(e, EventName)) event = e;
        if (event.empty()) Fail(kAppError, "The event \"" + EventName + "\" does not exist.");
        std::string name = "Project_" + event;
        for (const auto& line : c.lines)
            if (auto d = ParseDeclaration(line); d && d->name == Lower(name))
                Fail(kAppError, "The procedure \"" + name + "\" exists already.");
        if (!c.lines.empty() && !Trim(c.lines.back()).empty()) c.lines.push_back("");
        c.lines.push_back("Private Sub " + name + "(ByVal pj As Project)");
        int32_t declaration = static_cast<int32_t>(c.lines.size());
        c.lines.push_back("");
        c.lines.push_back("End Sub");
        return declaration;
    });
}

std::vector<std::string> CodeModule::AllLines() const {
    return WithModule(*this, [](ComponentData& c) { return c.lines; });
}

// ---------------------------------------------------------------- components

std::string VBComponent::Name() const {
    return Guard([&] { return Live(*this).name; });
}
void VBComponent::SetName(const std::string& v) {
    Guard([&] {
        if (Trim(v).empty()) Fail(kInvalidCall, "Invalid procedure call or argument");
        Live(*this).name = v;
    });
}
int32_t VBComponent::Type() const {
    return Guard([&] { return Live(*this).type; });
}
CodeModule VBComponent::CodeModule() const {
    return Guard([&] {
        Live(*this);
        return MakeHandle<platform::msproject::CodeModule>(Access::Data(*this));
    });
}

int32_t VBComponents::Count() const {
    return Guard([&] { return static_cast<int32_t>(Live(*this).components.size()); });
}
VBComponent VBComponents::Item(int32_t index) const {
    return Guard([&] {
        auto& p = Live(*this);
        if (index < 1 || index > static_cast<int32_t>(p.components.size()))
            Fail(kSubscript, "Subscript out of range");
        return MakeHandle<VBComponent>(p.components[index - 1]);
    });
}
VBComponent VBComponents::Item(std::string_view name) const {
    return Guard([&] {
        for (const auto& c : Live(*this).components)
            if (SameText(c->name, name)) return MakeHandle<VBComponent>(c);
        Fail(kSubscript, "Subscript out of range");
    });
}
VBComponent VBComponents::Add(int32_t ComponentType) {
    return Guard([&] {
        auto& p = Live(*this);
        if (ComponentType != vbext_ct_StdModule && ComponentType != vbext_ct_ClassModule)
            Fail(kInvalidCall, "Invalid procedure call or argument");
        std::string base = ComponentType == vbext_ct_StdModule ? "Module" : "Class";
        std::string name;
        for (int n = 1;; ++n) {
            name = base + std::to_string(n);
            bool taken = std::any_of(p.components.begin(), p.components.end(),
                                     [&](const auto& c) { return SameText(c->name, name); });
            if (!taken) break;
        }
        auto c = std::make_shared<ComponentData>();
        c->name = name;
        c->type = ComponentType;
        p.components.push_back(c);
        return MakeHandle<VBComponent>(c);
    });
}
void VBComponents::Remove(const VBComponent& component) {
    Guard([&] {
        auto& p = Live(*this);
        auto& c = Live(component);
        if (c.type == vbext_ct_Document) Fail(kInvalidCall, "Invalid procedure call or argument");
        if (std::erase_if(p.components, [&](const auto& x) { return x.get() == &c; }) == 0)
            Fail(kSubscript, "Subscript out of range");
        c.deleted = true;
    });
}

// ---------------------------------------------------------------- references

std::string Reference::Name() const {
    return Guard([&] { return Live(*this).name; });
}
std::string Reference::FullPath() const {
    return Guard([&] { return Live(*this).fullPath; });
}
std::string Reference::Description() const {
    return Guard([&] { return Live(*this).description; });
}
bool Reference::BuiltIn() const {
    return Guard([&] { return Live(*this).builtIn; });
}
bool Reference::IsBroken() const {
    return Guard([&] {
        auto& r = Live(*this);
        std::error_code ec;
        return !r.builtIn && !std::filesystem::is_regular_file(r.fullPath, ec);
    });
}

int32_t References::Count() const {
    return Guard([&] { return static_cast<int32_t>(Live(*this).references.size()); });
}
Reference References::Item(int32_t index) const {
    return Guard([&] {
        auto& p = Live(*this);
        if (index < 1 || index > static_cast<int32_t>(p.references.size()))
            Fail(kSubscript, "Subscript out of range");
        return MakeHandle<Reference>(p.references[index - 1]);
    });
}
Reference References::AddFromFile(const std::string& FileName) {
    return Guard([&] {
        auto& p = Live(*this);
        std::error_code ec;
        std::filesystem::path file(FileName);
        if (FileName.empty() || !std::filesystem::is_regular_file(file, ec))
            Fail(kDllLoad, "Error in loading DLL");
        std::string name = file.stem().string();
        for (const auto& r : p.references)
            if (SameText(r->name, name))
                Fail(32813, "Name conflicts with existing module, project, or object library");
        auto r = std::make_shared<ReferenceData>();
        r->name = name;
        r->fullPath = std::filesystem::absolute(file, ec).string();
        r->description = name;
        p.references.push_back(r);
        return MakeHandle<Reference>(r);
    });
}
void References::Remove(const Reference& reference) {
    Guard([&] {
        auto& p = Live(*this);
        auto& r = Live(reference);
        if (r.builtIn) Fail(kAppError, "A built-in reference cannot be removed.");
        if (std::erase_if(p.references, [&](const auto& x) { return x.get() == &r; }) == 0)
            Fail(kSubscript, "Subscript out of range");
        r.deleted = true;
    });
}

// ---------------------------------------------------------------- projects and the editor

std::string VBProject::Name() const {
    return Guard([&] { return Live(*this).name; });
}
VBComponents VBProject::VBComponents() const {
    return Guard([&] {
        Live(*this);
        return MakeHandle<platform::msproject::VBComponents>(Access::Data(*this));
    });
}
References VBProject::References() const {
    return Guard([&] {
        Live(*this);
        return MakeHandle<platform::msproject::References>(Access::Data(*this));
    });
}

int32_t VBProjects::Count() const {
    return Guard([&] { return static_cast<int32_t>(ProjectsOf(LiveApp(app_)).size()); });
}
VBProject VBProjects::Item(int32_t index) const {
    return Guard([&] {
        auto all = ProjectsOf(LiveApp(app_));
        if (index < 1 || index > static_cast<int32_t>(all.size())) Fail(kSubscript, "Subscript out of range");
        return MakeHandle<VBProject>(all[index - 1]);
    });
}
VBProject VBProjects::Item(std::string_view name) const {
    return Guard([&] {
        for (const auto& p : ProjectsOf(LiveApp(app_)))
            if (SameText(p->name, name)) return MakeHandle<VBProject>(p);
        Fail(kSubscript, "Subscript out of range");
    });
}

bool VBEWindow::Visible() const {
    return Guard([&] { return LiveApp(app_).mainWindowVisible; });
}
void VBEWindow::SetVisible(bool v) {
    Guard([&] { LiveApp(app_).mainWindowVisible = v; });
}

VBProjects VBE::VBProjects() const {
    platform::msproject::VBProjects out;
    Access::App(out) = app_;
    return out;
}
VBEWindow VBE::MainWindow() const {
    VBEWindow out;
    Access::App(out) = app_;
    return out;
}

VBE Application::VBE() const {
    platform::msproject::VBE out;
    Access::App(out) = state_;
    return out;
}

} // namespace platform::msproject
