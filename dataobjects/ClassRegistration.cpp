#include "dataobjects/ClassRegistration.h"

#include <functional>
#include <map>

#include "dataobjects/KovaBudget.h"
#include "dataobjects/KovaBudgetLine.h"
#include "dataobjects/KovaCE.h"
#include "dataobjects/KovaCalendar.h"
#include "dataobjects/KovaCalendarData.h"
#include "dataobjects/KovaCalendarDetail.h"
#include "dataobjects/KovaConnection.h"
#include "dataobjects/KovaData.h"
#include "dataobjects/KovaProjectData.h"
#include "dataobjects/KovaResource.h"
#include "dataobjects/KovaResourceData.h"
#include "dataobjects/KovaSCE.h"
#include "dataobjects/PlanParam.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/RecordObject.h"
#include "platform/os/Registry.h"
#include "platform/os/ServerRegistration.h"

namespace KovaDataObjects {

using namespace platform::automation;

const std::vector<PublicClass>& PublicClasses() {
    static const std::vector<PublicClass> classes = {
        {"KovaCalendar", "{C41CBE70-6EA4-41D9-AC0C-123DB3333582}", "{3621EA22-50A1-421A-85E2-3A90DDAD9034}",
         "", true},
        {"KovaCalendarData", "{6EB7788C-3D5A-4860-87A1-F7B8D75B5523}",
         "{58524AEF-5AF3-4B72-908F-7820D025F064}", "", true},
        {"KovaCalendarDetail", "{0A6C9699-3571-456F-8A5A-8B5486ED9222}",
         "{83E2B368-9B17-49FE-99B3-61373BF3A6C6}", "", true},
        {"KovaCE", "{66189E7C-03A7-4BAF-B921-D92ECF7208E2}", "{097DAB96-4443-4125-BBD6-6815F6800AB0}", "",
         true},
        {"KovaData", "{2A85DD6B-43D1-4925-8EB5-C56F88564ED5}", "{4E4B3153-C868-427D-979A-12FC9C0E42B3}", "",
         true},
        {"KovaSCE", "{3EB9EACB-9D08-49FC-96F7-46760054E94C}", "{F4B9040B-0924-4DFD-8EAD-7B42C29AF4DD}", "",
         true},
        {"PlanParam", "{DD6422A8-BFA8-47EC-876C-EE88B81FF698}", "{97A6405F-7BCA-44BC-9253-C2A17A9002C3}", "",
         true},
        {"KovaBudgetLine", "{C4CAFF66-9B0F-4EF9-8141-B50A380BA22B}", "{4AC4FF32-FF15-42B0-B19B-81B2BC3EF93F}",
         "{BDF9F64F-1A26-4156-A97E-44C7AEC055F7}", true},
        {"KovaResource", "{E451B42F-654E-4696-978E-C206670CD989}", "{35090C96-EFA6-4E02-8294-1F5D29541A11}",
         "", true},
        {"KovaResourceData", "{DBB8205C-0363-4B5E-B9B6-5D35EE36FDB6}",
         "{1058EFFA-A185-4115-B3C6-79771E6B7A51}", "", true},
        {"KovaConnection", "{D1A4BD10-CA19-4E67-B9A9-49825076D55E}", "{1EC4387C-AF3B-48EB-8176-3890291F90EA}",
         "", true},
        {"KovaProjectData", "{DBEBBD7A-F033-4A89-B0A6-E1E1D70255C2}",
         "{704DCDA8-06D7-41CA-A2CD-036D897FE424}", "", true},
        {"KovaBudget", "{84AA5267-646A-4C22-9626-F729AD5AC240}", "{A9861A60-D362-4624-B5CF-15F09FB43392}", "",
         true},
    };
    return classes;
}

std::string ProgIdOf(const std::string& className) {
    return "KovaDataObjects." + className;
}

namespace {

template <class T> std::function<Object()> Record() {
    return [] { return AsObject(std::make_shared<T>()); };
}

const std::map<std::string, std::function<Object()>>& Factories() {
    static const std::map<std::string, std::function<Object()>> factories = {
        {"KovaCalendarDetail", Record<KovaCalendarDetail>()},
        {"KovaCE", Record<KovaCE>()},
        {"KovaData", Record<KovaData>()},
        {"KovaSCE", Record<KovaSCE>()},
        {"KovaBudgetLine", Record<KovaBudgetLine>()},
        {"KovaResource", Record<KovaResource>()},
        {"PlanParam", [] { return MakeObject<PlanParam>(); }},
        {"KovaConnection", [] { return MakeObject<KovaConnection>(); }},
        {"KovaResourceData", [] { return MakeObject<KovaResourceData>(); }},
        {"KovaCalendar", [] { return MakeObject<KovaCalendar>(); }},
        {"KovaCalendarData", [] { return MakeObject<KovaCalendarData>(); }},
        {"KovaProjectData", [] { return MakeObject<KovaProjectData>(); }},
        {"KovaBudget", [] { return MakeObject<KovaBudget>(); }},
    };
    return factories;
}

} // namespace

void RegisterKovaDataObjects() {
    using namespace platform::os;
    std::string typeLibKey = std::string("TypeLib\\") + kTypeLibraryId + "\\1.0";
    RegistrySetString(HKEY_CLASSES_ROOT, typeLibKey, "", kTypeLibraryHelp);
    RegistrySetString(HKEY_CLASSES_ROOT, typeLibKey + "\\0\\win32", "", kServerFile);
    for (const auto& c : PublicClasses()) {
        std::string progId = ProgIdOf(c.name);
        std::function<Object()> factory;
        if (c.creatable) factory = Factories().at(c.name);
        RegisterServerClass(ClassInfo{progId, c.classId, c.interfaceId, factory, kServerFile}, true);
        // The interface key names the dual interface itself and its type library.
        RegistrySetString(HKEY_CLASSES_ROOT, "Interface\\" + c.interfaceId, "", "_" + c.name);
        RegistrySetString(HKEY_CLASSES_ROOT, "Interface\\" + c.interfaceId + "\\TypeLib", "", kTypeLibraryId);
        if (!c.aliasClassId.empty()) {
            std::string alias = "CLSID\\" + c.aliasClassId;
            RegistrySetString(HKEY_CLASSES_ROOT, alias, "", progId);
            RegistrySetString(HKEY_CLASSES_ROOT, alias + "\\ProgID", "", progId);
            RegistrySetString(HKEY_CLASSES_ROOT, alias + "\\InprocServer32", "", kServerFile);
        }
    }
}

} // namespace KovaDataObjects
