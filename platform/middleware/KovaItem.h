#pragma once
// The item-code object "KovaItem.KovaItem": turns (project, item) into the ERP's item code and back.
// The code is the bare item for a standard item and "<project>#<item>" for a project's own item; project
// ids never hold "#".
#include <string>

#include "platform/middleware/StandInObject.h"

namespace platform::middleware {

inline constexpr const char* kKovaItemProgId = "KovaItem.KovaItem";

std::string EncodeItemCode(const std::string& project, const std::string& item);
void DecodeItemCode(const std::string& code, std::string& project, std::string& item);

class KovaItem : public StandIn<KovaItem> {
public:
    KovaItem() : StandIn(kKovaItemProgId, kKovaItemProgId) {}
    static const platform::automation::MemberTable<KovaItem>& Members();

private:
    std::string project_;
    std::string item_;
};

} // namespace platform::middleware
