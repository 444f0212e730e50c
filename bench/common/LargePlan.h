// The large plan the structure and baseline benches start from: the ERP seeded with bench::Seed(count),
// a new plan saved as plans/Large.mpp under a machine folder of its own, connected to the ERP plan
// LARGE/MAIN at its top element, and the charge structure brought into it as the connect does.
#pragma once

#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "bench/common/LargeSeed.h"
#include "dataobjects/ClassRegistration.h"
#include "dataobjects/KovaProjectData.h"
#include "integration/chargestructure/ChargeElementFile.h"
#include "integration/chargestructure/ChargeElementPlacement.h"
#include "integration/core/ChargeElementCommands.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/Admin.h"
#include "platform/middleware/Backend.h"
#include "platform/middleware/Registration.h"
#include "platform/middleware/Seed.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TestSupport.h"
#include "platform/os/TextFiles.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The processor time of this process so far, in ms: steadier than the wall time on a shared machine.
inline double ProcessorMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

// False, with the step and the error on stderr, when the last call failed.
inline bool Check(const char* step) {
    using platform::automation::Err;
    if (Err().Number == 0) return true;
    std::fprintf(stderr, "%s failed: %d %s\n", step, Err().Number, Err().Description.c_str());
    return false;
}

// Runs a command as the menu does, its dialogs answered by `answers`; false, with what went otherwise
// on stderr, when they did not go as scripted.
inline bool RunAnswered(const std::function<void(platform::forms::ScriptedUser&)>& answers,
                        const std::function<void()>& command) {
    using namespace platform::forms;
    ScriptedUser user;
    bool failed = false;
    user.OnFailure([&](const std::string& message) {
        std::fprintf(stderr, "the dialog went otherwise: %s\n", message.c_str());
        failed = true;
    });
    ScopedUser on{user};
    answers(user);
    command();
    return user.Finish() && !failed;
}

struct LargePlan {
    platform::os::TempKovaHome home;
    std::unique_ptr<platform::middleware::Database> db;
    std::shared_ptr<platform::msproject::Application> app;
    std::filesystem::path file;

    // Builds the plan of `count` elements and saves it; `withView` applies the integration's view and
    // its filter first, as a connected plan shows them. Prints the time the structure took.
    bool Build(int count, bool withView) {
        using namespace Grantry;
        namespace mw = platform::middleware;
        namespace msp = platform::msproject;
        using platform::automation::Variant;
        mw::RegisterMiddleware();
        KovaDataObjects::RegisterKovaDataObjects();
        mw::BackendConfig config = mw::CreateBackend(mw::BackendConfig("DEMO"), true);
        config = mw::SeedBackend(config, Seed(count));
        db = mw::OpenBackendDatabase(config);
        db->Run("INSERT INTO planning_parameters(company_number, currency, default_availability_type) "
                "VALUES (7, 'EUR', 'STANDARD')");

        app = msp::StartApplication({});
        app->FileNew(false);
        MSProjectApplication = app;
        // A fixed start, so that the digests do not depend on the day of the run.
        app->ActiveProject().SetStart(platform::automation::Date::FromParts(2025, 1, 6, 8, 0));
        BOIConnector = "DEMO";
        std::filesystem::create_directories(home.path() / "plans");
        file = home.path() / "plans" / "Large.mpp";
        app->FileSaveAs(file.string());
        if (withView) {
            app->ViewEditSingle(kKovaGanttView, true, true, "Entry");
            app->FilterEdit(kAllKovaProjectTasksFilter, true, true);
        }
        msp::CustomDocumentProperties properties = app->ActiveProject().CustomDocumentProperties();
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            properties.Add(d.name, false, d.type, d.initial);
        properties.Item("KovaProject").SetValue(Variant("LARGE"));
        properties.Item("KovaProjectPlan").SetValue(Variant("MAIN"));
        properties.Item("KovaCompany").SetValue(Variant(int32_t(7)));
        properties.Item("KovaConnectionNode").SetValue(Variant("TOP"));
        properties.Item("KovaTransferChargeStructure").SetValue(true);
        // As the connect leaves the plan: the structure placed, the log of the connect closed.
        CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
        CurrentProjectData->ProjectCode = "LARGE";
        CurrentProjectData->Plan = "MAIN";
        CurrentProjectData->ConnectedCE = "TOP";
        platform::os::OpenFile(platform::os::LogFileNumber, (home.path() / "connect.log").string(),
                               platform::os::FileMode::Output);
        if (!Check("set-up")) return false;

        Clock::time_point start = Clock::now();
        CurrentProjectData->getChBSFromKova(BOIConnector, "TOP");
        WriteChargeElementFile();
        LoadChargeElementFile();
        PlaceChargeElementTasks({});
        if (!Check("placement")) return false;
        std::printf("plan built from %d elements: %.0f ms (%d tasks)\n", count, MsSince(start),
                    app->ActiveProject().Tasks().Count());
        ChargeElements() = {};
        app->FileSave();
        platform::os::CloseAllFiles();
        CurrentProjectData.reset();
        platform::automation::Err().Clear();
        return true;
    }

    // Closes the plan, then opens it, changes a field and saves it: the floor the commands are set
    // against. Milliseconds, or a negative number when it failed.
    double OpenAndSave() {
        app->FileClose(false);
        Clock::time_point start = Clock::now();
        app->FileOpen(file.string());
        app->ActiveProject().Tasks().Item(1).SetText2("saved again");
        app->FileSave();
        const double ms = MsSince(start);
        if (!Check("open and save")) return -1;
        std::printf("open and save of the plan: %.0f ms\n", ms);
        return ms;
    }

    // Lets go of the program, the ERP and the integration's globals.
    void End() {
        db.reset();
        platform::os::CloseAllFiles();
        Grantry::CurrentProjectData.reset();
        Grantry::CurrentConnection.reset();
        Grantry::MSProjectApplication.reset();
        platform::msproject::QuitApplication();
    }
};

} // namespace bench
