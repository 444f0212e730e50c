#pragma once
// KovaConnection: the middleware connection of one command run. Creating it checks that the adapter
// has a default backend and that it is started, and yields the connector string (the backend's name)
// that every data method takes; it further reads the company number, the release id, the standard
// charge elements, the ERP projects and a project's OBS elements.
//
// Failures follow the library's convention: nothing is thrown, the error state tells.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dataobjects/KovaData.h"
#include "dataobjects/KovaSCE.h"
#include "dataobjects/LibrarySupport.h"
#include "platform/automation/Object.h"

namespace KovaDataObjects {

class KovaConnection : public platform::automation::Dispatchable<KovaConnection> {
public:
    // Start-up: 777 "BusComponent/Default Backend not maintained." or 888 "BusComponent not started in
    // the Backend Server." (source "KovaDataObjects") with an empty Connector.
    KovaConnection();
    // Shut-down: Connector becomes empty.
    ~KovaConnection() override;

    std::string Connector;
    // Why the backend did not answer when the connection was made "not started" (888): the
    // middleware's own reason, such as a database that cannot be opened; empty otherwise.
    std::string StartFailure;
    int32_t CompanyNumber = 0;
    const std::string& Hostname() const { return hostname_; }
    std::string KovaRelease;

    void getConnectorProperties(std::string BOIConnector);
    OptionalCollection<KovaSCE> getKovaSCEList(std::string& BOIConnector);
    OptionalCollection<KovaData> getKovaProjectList(std::string& BOIConnector);
    void getReleaseId();
    // The middleware's own OBS element objects (they answer organizationBreakdownStructureElementID and
    // organizationBreakdownStructureElementDescription), or nothing.
    std::optional<std::vector<platform::automation::Object>> getOBSElements(std::string& i_Project,
                                                                            std::string& i_Obs);

    // The properties by name, and the methods without a collection result.
    static const platform::automation::MemberTable<KovaConnection>& Members();

private:
    platform::automation::Object GetCompanyObject(const platform::automation::Object& manager);
    std::string hostname_;
};

} // namespace KovaDataObjects
