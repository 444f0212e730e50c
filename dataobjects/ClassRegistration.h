#pragma once
// The library's self-registration: its type library and thirteen public classes with their class and
// interface ids, written to the registry stand-in and put into the class registry under the ProgIDs
// "KovaDataObjects.<class>".
#include <string>
#include <vector>

namespace KovaDataObjects {

inline constexpr const char* kTypeLibraryId = "{89A5208F-4C74-46B6-9002-A10702C6157F}";
inline constexpr const char* kTypeLibraryHelp = "KovaProject Data Access Objects";
inline constexpr const char* kServerFile = "Quessel.dll";

struct PublicClass {
    std::string name; // "KovaCE"; its interface is "_KovaCE"
    std::string classId;
    std::string interfaceId;
    std::string aliasClassId; // a second class id the class is also registered under, if any
    bool creatable;           // false while the class is not built yet
};

const std::vector<PublicClass>& PublicClasses();
std::string ProgIdOf(const std::string& className);

void RegisterKovaDataObjects();

} // namespace KovaDataObjects
