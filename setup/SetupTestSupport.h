#pragma once
// Test helpers of the installer and uninstaller (header only): a machine folder laid out as after
// installing the planning program and the integration's files, a strict scripted user, and a reading
// of the global template file as the planning program's next start sees it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "platform/automation/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/FileVersion.h"
#include "platform/os/Registry.h"
#include "platform/os/TestSupport.h"
#include "setup/WinprojVersion.h"
#include "setup/basMsPComp.h"

namespace setup::test {

namespace fs = std::filesystem;
namespace msp = platform::msproject;
namespace forms = platform::forms;
namespace os = platform::os;
using platform::automation::Err;

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline constexpr char kServerAppPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Grantry.exe";

// The global template as written to disk.
struct GlobalTemplate {
    nlohmann::json items;

    static GlobalTemplate Read(const fs::path& file) {
        GlobalTemplate t;
        std::string text = ReadFile(file);
        if (!text.empty()) t.items = nlohmann::json::parse(text).at("items");
        return t;
    }
    // The File menu's controls captioned "&KovaProject".
    std::vector<nlohmann::json> Menus() const {
        std::vector<nlohmann::json> out;
        for (const auto& bar : items.value("commandBars", nlohmann::json::array()))
            if (bar.value("name", "") == "File")
                for (const auto& c : bar.value("controls", nlohmann::json::array()))
                    if (c.value("caption", "") == "&KovaProject") out.push_back(c);
        return out;
    }
    int MenuPosition() const {
        for (const auto& bar : items.value("commandBars", nlohmann::json::array()))
            if (bar.value("name", "") == "File") {
                int i = 0;
                for (const auto& c : bar.value("controls", nlohmann::json::array())) {
                    ++i;
                    if (c.value("caption", "") == "&KovaProject") return i;
                }
            }
        return 0;
    }
    // How often an item of the kind and name is there (views by name alone).
    int Count(int type, const std::string& name, bool task) const {
        auto count = [&](const char* list, bool byTask) {
            int n = 0;
            for (const auto& x : items.value(list, nlohmann::json::array()))
                if (x.value("name", "") == name && (!byTask || x.value("task", true) == task)) ++n;
            return n;
        };
        switch (type) {
        case msp::pjViews: return count("views", false);
        case msp::pjTables: return count("tables", true);
        case msp::pjFilters: return count("filters", true);
        case msp::pjToolbars: return count("commandBars", false);
        case msp::pjModules: {
            int n = 0;
            for (const auto& c : items["vbProject"].value("components", nlohmann::json::array()))
                if (c.value("name", "") == name && c.value("type", 1) != 100) ++n;
            return n;
        }
        }
        return -1;
    }
    std::vector<std::string> ProjectModuleLines() const {
        auto components = items["vbProject"].value("components", nlohmann::json::array());
        if (components.empty()) return {};
        return components.front().value("lines", std::vector<std::string>{});
    }
    int ActivateProcedures() const {
        auto lines = ProjectModuleLines();
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.find("Sub Project_Activate(") != std::string::npos;
        }));
    }
    std::vector<std::string> ReferencePaths(const std::string& name) const {
        std::vector<std::string> out;
        for (const auto& r : items["vbProject"].value("references", nlohmann::json::array()))
            if (r.value("name", "") == name) out.push_back(r.value("fullPath", ""));
        return out;
    }
};

// A machine with the planning program (version 11 unless told otherwise) and the integration's files
// in kova/, both registered under App Paths, the planning program started on demand, and a strict
// scripted user.
class MachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        Err().Clear();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << "script failure: " << message; });
        InstallPlanningProgram(11);
        InstallIntegrationFiles();
        basMsPComp::RegisterPlanningProgramLauncher([this](msp::ApplicationOptions& o) {
            if (onActivated) o.projectActivated = onActivated;
        });
    }
    void TearDown() override {
        forms::DiscardAllForms();
        msp::QuitApplication();
        forms::SetProgramTitle("");
        if (!user.Failed()) user.Finish();
    }

    fs::path Kova() const { return home.path() / "kova"; }
    fs::path Msproject() const { return home.path() / "msproject"; }
    fs::path GlobalFile() const { return Msproject() / "1033" / "GLOBAL.MPT"; }
    GlobalTemplate Global() const { return GlobalTemplate::Read(GlobalFile()); }

    // The planning program's file carrying the version, registered under App Paths.
    void InstallPlanningProgram(uint16_t major) {
        fs::create_directories(Msproject());
        WriteFile(home.path() / "blank-program", "a program");
        ASSERT_TRUE(
            os::StampFileVersion(home.path() / "blank-program", Msproject() / "WinProj.exe", major, 0, 0, 0));
        ASSERT_TRUE(os::RegistrySetString(os::HKEY_LOCAL_MACHINE, Tolvane::kWinprojAppPathKey, "Path",
                                          Msproject().string()));
    }
    void InstallIntegrationFiles() {
        WriteFile(Kova() / "Grantry.exe", "the integration's program");
        fs::copy_file(KOVA_TEMPLATE_PLAN_FILE, Kova() / "KovaProject.mpp",
                      fs::copy_options::overwrite_existing);
        ASSERT_TRUE(os::RegistrySetString(os::HKEY_LOCAL_MACHINE, kServerAppPath, "Path", Kova().string()));
    }
    // Lays out the global template the planning program writes on its first start.
    void FirstStartOfThePlanningProgram() {
        ASSERT_TRUE(basMsPComp::CreateProjectApplication());
        msp::QuitApplication();
        Err().Clear();
    }

    // Box texts in order.
    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (const auto& b : user.transcript().Boxes())
            out.push_back(b.box.prompt);
        return out;
    }
    bool ShowedForm(const std::string& name) const {
        for (const auto& line : user.transcript().Lines())
            if (line.rfind("show " + name + " ", 0) == 0) return true;
        return false;
    }

    os::TempKovaHome home;
    forms::ScriptedUser user;
    forms::ScopedUser scoped{user};
    std::function<void(const msp::Project&)> onActivated;
};

// Runs a program of the build with the text as its input; its output and exit code.
struct ProgramRun {
    int exitCode = -1;
    std::string output;
};
inline ProgramRun RunProgram(const std::string& program, const std::string& input, const fs::path& scratch) {
    WriteFile(scratch / "input.txt", input);
    fs::path outputFile = scratch / "output.txt";
    pid_t pid = ::fork();
    if (pid == 0) {
        int in = ::open((scratch / "input.txt").c_str(), O_RDONLY);
        int out = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ProgramRun run;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    run.output = ReadFile(outputFile);
    return run;
}

} // namespace setup::test
