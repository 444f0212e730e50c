// The log forms of error descriptions and of a refused structure update.
#include <gtest/gtest.h>

#include "integration/core/CoreTestSupport.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/os/TestSupport.h"
#include "platform/os/TextFiles.h"

namespace Grantry {
namespace {

namespace os = platform::os;
using platform::automation::Err;

TEST(FormatErrorForLog, KeepsWhatFollowsTheFirstBar) {
    const std::pair<std::string, std::string> cases[] = {
        {"Kova|Budget line refused", "   Budget line refused"},
        {"a|b|c", "   b|c"},
        {"no bar at all", "   no bar at all"},
        {"ends with|", "   "},
        {"", "   "},
        {"|", "   "},
    };
    for (const auto& [text, logged] : cases) {
        std::string argument = text;
        EXPECT_EQ(FormatErrorForLog(argument), logged) << text;
        EXPECT_EQ(argument, text);
    }
}

class ChBSUpdateErrorsTest : public ::testing::Test {
protected:
    // The lines the routine writes to an open log.
    std::vector<std::string> Logged(const std::string& text) {
        std::filesystem::path log = home.path() / "plan.log";
        EXPECT_TRUE(os::OpenFile(os::LogFileNumber, log.string(), os::FileMode::Output));
        LogChBSUpdateErrors(text);
        os::CloseFile(os::LogFileNumber);
        std::vector<std::string> lines;
        std::string bytes = test::ReadFile(log);
        for (size_t at = 0; at < bytes.size();) {
            size_t end = bytes.find("\r\n", at);
            lines.push_back(bytes.substr(at, end - at));
            at = end + 2;
        }
        return lines;
    }
    os::TempKovaHome home;
};

const char kHeader1[] = "Updating the Charge Breakdown Structure in Kova Failed for these Charge Elements.";
const char kHeader2[] = "Probably because costs were found for these Charge Elements/Activities;";

TEST_F(ChBSUpdateErrorsTest, ListsTheElementsBetweenTheirMarkers) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"no markers", "Kova|Update refused", {"   Update refused"}},
        {"two elements",
         "Kova|###CEs###1.1###CEe###$$$CEDs$$$Foundation$$$CEDe$$$ and ###CEs###1.2###CEe###"
         "$$$CEDs$$$Walls$$$CEDe$$$",
         {kHeader1, kHeader2, "   1.1, Foundation", "   1.2, Walls"}},
        {"markers in another letter case",
         "###ces###A###CEE###$$$ceds$$$Alpha$$$CEDE$$$",
         {kHeader1, kHeader2, "   A, Alpha"}},
        {"descriptions listed after the codes",
         "###CEs###A###CEe######CEs###B###CEe###$$$CEDs$$$Alpha$$$CEDe$$$$$$CEDs$$$Beta$$$CEDe$$$",
         {kHeader1, kHeader2, "   A, Alpha", "   B, Beta"}},
        {"descriptions run out",
         "###CEs###A###CEe###$$$CEDs$$$Alpha$$$CEDe$$$###CEs###B###CEe###",
         {kHeader1, kHeader2, "   A, Alpha"}},
        {"code without its end marker", "###CEs###A $$$CEDs$$$Alpha$$$CEDe$$$", {kHeader1, kHeader2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Logged(c.text), c.lines);
    }
}

TEST_F(ChBSUpdateErrorsTest, ALogThatIsNotOpenIsNoFailure) {
    LogChBSUpdateErrors("###CEs###A###CEe###$$$CEDs$$$Alpha$$$CEDe$$$");
    EXPECT_EQ(Err().Number, 0);
}

} // namespace
} // namespace Grantry
