#pragma once
// The class registry: creatable classes by ProgID, with their class and interface ids, and the
// monikers that GetObject understands.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation/Variant.h"

namespace platform::automation {

struct ClassInfo {
    std::string progId;
    std::string classId;     // GUID text, "{...}"
    std::string interfaceId; // GUID text of the default interface
    std::function<Object()> factory;
    std::string serverPath; // program or library file that serves the class, if any
};

// Registers (or replaces) a class. ProgIDs are matched without regard to case.
void RegisterClass(ClassInfo info);
void UnregisterClass(const std::string& progId);
bool IsClassRegistered(const std::string& progId);
std::optional<ClassInfo> FindClass(const std::string& progId);
std::optional<ClassInfo> FindClassById(const std::string& classId);
std::vector<ClassInfo> RegisteredClasses();

// Creates a new object of the class: 429 "ActiveX component can't create object" when the ProgID is
// unknown, the factory fails or returns Nothing.
Object CreateObject(const std::string& progId);

// Monikers: a handler per prefix ("java:"); GetObject(moniker) hands the text to the handler whose
// prefix matches, or falls back to a running object registered under the name. 432 otherwise.
void RegisterMoniker(const std::string& prefix, std::function<Object(const std::string& moniker)> handler);
void UnregisterMoniker(const std::string& prefix);
void RegisterActiveObject(const std::string& name, Object object);
void RevokeActiveObject(const std::string& name);
Object GetObject(const std::string& moniker);

} // namespace platform::automation
