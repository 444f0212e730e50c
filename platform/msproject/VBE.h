#pragma once
// The macro editor: the global macro project "ProjectGlobal" (and one project per open plan), its
// components with their code modules, and its references.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/msproject/Handle.h"

namespace platform::msproject {

namespace detail {
struct AppState;
struct VBProjectData;
struct ComponentData;
struct ReferenceData;
} // namespace detail

enum vbext_ProcKind : int32_t {
    vbext_pk_Proc = 0,
    vbext_pk_Let = 1,
    vbext_pk_Set = 2,
    vbext_pk_Get = 3,
};

enum vbext_ComponentType : int32_t {
    vbext_ct_StdModule = 1,
    vbext_ct_ClassModule = 2,
    vbext_ct_Document = 100,
};

// The code of a component as numbered lines (1-based).
class CodeModule : public Handle<detail::ComponentData> {
public:
    int32_t CountOfLines() const;
    std::string Lines(int32_t StartLine, int32_t Count) const; // joined with CR LF
    // First line of the procedure (comments and blank lines above its declaration included) and its
    // length through its "End" line; 1004 when the module has no such procedure.
    int32_t ProcStartLine(const std::string& ProcName, int32_t ProcKind = vbext_pk_Proc) const;
    int32_t ProcCountLines(const std::string& ProcName, int32_t ProcKind = vbext_pk_Proc) const;
    int32_t ProcBodyLine(const std::string& ProcName, int32_t ProcKind = vbext_pk_Proc) const;
    void DeleteLines(int32_t StartLine, int32_t Count = 1);
    // Inserts the text (lines joined by CR LF or LF) before line `Line`; past the end it is appended.
    void InsertLines(int32_t Line, const std::string& Code);
    void AddFromString(const std::string& Code);
    void ReplaceLine(int32_t Line, const std::string& Code);
    // Adds an empty event procedure "<ObjectName>_<EventName>" and returns the line of its declaration.
    int32_t CreateEventProc(const std::string& EventName, const std::string& ObjectName);
    std::vector<std::string> AllLines() const;
};

class VBComponent : public Handle<detail::ComponentData> {
public:
    std::string Name() const;
    void SetName(const std::string& value);
    int32_t Type() const;
    platform::msproject::CodeModule CodeModule() const;
};

class VBComponents : public Handle<detail::VBProjectData> {
public:
    int32_t Count() const;
    VBComponent Item(int32_t index) const;
    VBComponent Item(std::string_view name) const;
    VBComponent Add(int32_t ComponentType = vbext_ct_StdModule);
    void Remove(const VBComponent& component);
    LiveIterator<VBComponents, VBComponent> begin() const { return {this, 1}; }
    LiveIterator<VBComponents, VBComponent> end() const { return {this, 0}; }
};

class Reference : public Handle<detail::ReferenceData> {
public:
    std::string Name() const;
    std::string FullPath() const;
    std::string Description() const;
    bool BuiltIn() const;
    bool IsBroken() const;
};

class References : public Handle<detail::VBProjectData> {
public:
    int32_t Count() const;
    Reference Item(int32_t index) const; // out of range: 9
    // The file must exist and be loadable, else 48; the reference's Name is the file's base name.
    Reference AddFromFile(const std::string& FileName);
    void Remove(const Reference& reference); // built-in references cannot be removed
    LiveIterator<References, Reference> begin() const { return {this, 1}; }
    LiveIterator<References, Reference> end() const { return {this, 0}; }
};

class VBProject : public Handle<detail::VBProjectData> {
public:
    std::string Name() const;
    platform::msproject::VBComponents VBComponents() const;
    platform::msproject::References References() const;
};

class VBProjects {
public:
    int32_t Count() const;
    VBProject Item(int32_t index) const; // 1 = "ProjectGlobal", then one per open plan
    VBProject Item(std::string_view name) const;
    LiveIterator<VBProjects, VBProject> begin() const { return {this, 1}; }
    LiveIterator<VBProjects, VBProject> end() const { return {this, 0}; }

private:
    friend struct detail::Access;
    std::shared_ptr<detail::AppState> app_;
};

class VBEWindow {
public:
    bool Visible() const;
    void SetVisible(bool value);

private:
    friend struct detail::Access;
    std::shared_ptr<detail::AppState> app_;
};

class VBE {
public:
    platform::msproject::VBProjects VBProjects() const;
    VBProject VBProjects(int32_t index) const { return VBProjects().Item(index); }
    VBProject VBProjects(std::string_view name) const { return VBProjects().Item(name); }
    VBEWindow MainWindow() const;
    explicit operator bool() const { return static_cast<bool>(app_); }

private:
    friend struct detail::Access;
    std::shared_ptr<detail::AppState> app_;
};

} // namespace platform::msproject
