#include "dataobjects/KovaResource.h"

namespace KovaDataObjects {

const platform::automation::PropertyTable<KovaResource>& KovaResource::Properties() {
    static const platform::automation::PropertyTable<KovaResource> table = {
        {"Email", &KovaResource::Email},
        {"Project", &KovaResource::Project},
        {"ResourceNameInMsP", &KovaResource::ResourceNameInMsP},
        {"ResourceCodeInMsP", &KovaResource::ResourceCodeInMsP},
        {"StandardRate", &KovaResource::StandardRate},
        {"AvailableUnits", &KovaResource::AvailableUnits},
        {"Unit", &KovaResource::Unit},
        {"Calendar", &KovaResource::Calendar},
        {"Description", &KovaResource::Description},
        {"Code", &KovaResource::Code},
    };
    return table;
}

} // namespace KovaDataObjects
