#pragma once
// The paged-list protocol. A list call takes its own keys, then the batch size, the call id (by
// reference) and the completion flag (by reference), and returns a set: `getCallId` gives the id for
// the next request, `getSetComplete` the flag, a reference getter the page; the page has a size getter
// and an indexed element getter (index by reference). The first request (call id 0) takes a snapshot
// of the whole list into a server-side cursor; later requests with the id it returned serve the next
// pages from it. Cursors belong to the middleware, not to a manager: they survive `releaseAll` and the
// manager itself. Ids start at 1; a finished list answers call id 0.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/Object.h"
#include "platform/middleware/StandInObject.h"

namespace platform::middleware {

// The member names and class names through which one paged list answers.
struct PagedListNames {
    std::string setClass;
    std::string referenceGetter;
    std::string pageClass;
    std::string sizeGetter;
    std::string elementGetter;
};

// Serves one request. The batch size is capped by TestControl's page-size cap; 0 or less means all.
// The call id and size are answered in the integer type the caller gave the call id in.
platform::automation::Variant
ServePage(const PagedListNames& names, std::string_view listMember, platform::automation::CallArgs& args,
          const std::function<std::vector<platform::automation::Object>()>& query, const std::string& origin);

void CloseAllCursors();
size_t OpenCursorCount();

// An enumeration read with `hasMoreElements` and `nextelement`.
class Enumeration : public StandIn<Enumeration> {
public:
    Enumeration(std::string className, std::string origin, std::vector<platform::automation::Object> elements)
        : StandIn(std::move(className), std::move(origin)), elements_(std::move(elements)) {}
    static const platform::automation::MemberTable<Enumeration>& Members();

private:
    std::vector<platform::automation::Object> elements_;
    size_t next_ = 0;
};

platform::automation::Object MakeEnumeration(std::string className, std::string origin,
                                             std::vector<platform::automation::Object> elements);

} // namespace platform::middleware
