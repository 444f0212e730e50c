#pragma once
// Self-registration of a server's classes: the class goes into the class registry and its entries are
// written to the registry stand-in under HKEY_CLASSES_ROOT, as a server's registration routine does.
#include <string>

#include "platform/automation/ClassRegistry.h"

namespace platform::os {

// Registers the class and writes
//   HKCR\<ProgID>                  (default) = ProgID, \CLSID (default) = class id
//   HKCR\CLSID\<class id>          (default) = ProgID, \ProgID, \LocalServer32 (or InprocServer32)
//   HKCR\Interface\<interface id>  (default) = ProgID
// `inProcess` chooses InprocServer32 for a library, LocalServer32 for a program.
void RegisterServerClass(platform::automation::ClassInfo info, bool inProcess);
// Removes the class from the class registry and its keys from HKEY_CLASSES_ROOT.
void UnregisterServerClass(const std::string& progId);
// The server file registered for a ProgID in HKEY_CLASSES_ROOT, empty when there is none.
std::string RegisteredServerPath(const std::string& progId);

} // namespace platform::os
