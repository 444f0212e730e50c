#include "dataobjects/KovaCE.h"

namespace KovaDataObjects {

const platform::automation::PropertyTable<KovaCE>& KovaCE::Properties() {
    static const platform::automation::PropertyTable<KovaCE> table = {
        {"EVasMileStone", &KovaCE::EVasMileStone},
        {"StandAlone", &KovaCE::StandAlone},
        {"PercentComplete", &KovaCE::PercentComplete},
        {"ActualFinish", &KovaCE::ActualFinish},
        {"ActualStart", &KovaCE::ActualStart},
        {"SCECode", &KovaCE::SCECode},
        {"SeqNumber", &KovaCE::SeqNumber},
        {"OBSelement", &KovaCE::OBSelement},
        {"Duration", &KovaCE::Duration},
        {"AccessMode", &KovaCE::AccessMode},
        {"CEType", &KovaCE::CEType},
        {"FinishDate", &KovaCE::FinishDate},
        {"StartDate", &KovaCE::StartDate},
        {"Plan", &KovaCE::Plan},
        {"Project", &KovaCE::Project},
        {"CEParent", &KovaCE::CEParent},
        {"Milestone", &KovaCE::Milestone},
        {"Connectable", &KovaCE::Connectable},
        {"CEDescription", &KovaCE::CEDescription},
        {"CECode", &KovaCE::CECode},
    };
    return table;
}

} // namespace KovaDataObjects
