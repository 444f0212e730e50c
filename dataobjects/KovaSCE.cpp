#include "dataobjects/KovaSCE.h"

namespace KovaDataObjects {

const platform::automation::PropertyTable<KovaSCE>& KovaSCE::Properties() {
    static const platform::automation::PropertyTable<KovaSCE> table = {
        {"SCEType", &KovaSCE::SCEType},
        {"Description", &KovaSCE::Description},
        {"Code", &KovaSCE::Code},
    };
    return table;
}

} // namespace KovaDataObjects
