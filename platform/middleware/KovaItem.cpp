#include "platform/middleware/KovaItem.h"

namespace platform::middleware {

using namespace platform::automation;

std::string EncodeItemCode(const std::string& project, const std::string& item) {
    return project.empty() ? item : project + "#" + item;
}

void DecodeItemCode(const std::string& code, std::string& project, std::string& item) {
    size_t hash = code.find('#');
    if (hash == std::string::npos) {
        project.clear();
        item = code;
        return;
    }
    project = code.substr(0, hash);
    item = code.substr(hash + 1);
}

const MemberTable<KovaItem>& KovaItem::Members() {
    static const MemberTable<KovaItem> table = {
        // The connector names the backend; the encoding does not depend on it.
        {"Initialize",
         [](KovaItem&, CallArgs& a) -> Variant {
             a.String(0);
             return Variant();
         }},
        // Item, project, then five further item dimensions that this ERP does not use.
        {"setKovaItemAll",
         [](KovaItem& k, CallArgs& a) -> Variant {
             k.item_ = a.String(0);
             k.project_ = a.String(1, "");
             return Variant();
         }},
        {"getKovaItem",
         [](KovaItem& k, CallArgs&) -> Variant { return EncodeItemCode(k.project_, k.item_); }},
        {"setKovaItem",
         [](KovaItem& k, CallArgs& a) -> Variant {
             DecodeItemCode(a.String(0), k.project_, k.item_);
             return Variant();
         }},
        {"getProject", [](KovaItem& k, CallArgs&) -> Variant { return k.project_; }},
        {"getItem", [](KovaItem& k, CallArgs&) -> Variant { return k.item_; }},
    };
    return table;
}

} // namespace platform::middleware
