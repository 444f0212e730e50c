#include "dataobjects/KovaData.h"

namespace KovaDataObjects {

const platform::automation::PropertyTable<KovaData>& KovaData::Properties() {
    static const platform::automation::PropertyTable<KovaData> table = {
        {"Description", &KovaData::Description},
        {"Number", &KovaData::Number},
        {"Code", &KovaData::Code},
    };
    return table;
}

} // namespace KovaDataObjects
