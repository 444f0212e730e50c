#include "platform/os/Registry.h"

#include "platform/os/KovaHome.h"
#include "platform/os/TestSupport.h"

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform::os {
namespace {

class RegistryTest : public ::testing::Test {
protected:
    // Reads a value the way the system's callers do: a fixed buffer and the reported length.
    static int32_t Query(HKEY key, const std::string& name, std::string& bytes, uint32_t* type = nullptr) {
        char buffer[2048];
        uint32_t length = sizeof buffer;
        int32_t rc = RegQueryValueEx(key, name, type, buffer, &length);
        if (rc == ERROR_SUCCESS) bytes.assign(buffer, length);
        return rc;
    }

    // Runs `body` in a child process and waits for it; the child's exit status is returned.
    template <class F> static int InChild(F body) {
        pid_t pid = ::fork();
        if (pid == 0) ::_exit(body());
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempKovaHome home;
};

TEST_F(RegistryTest, ResultCodesForMissingKeysValuesAndHandles) {
    HKEY key = 0;
    EXPECT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nowhere", &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kova", &key), ERROR_SUCCESS);
    std::string bytes;
    EXPECT_EQ(Query(key, "Missing", bytes), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValue(key, "Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    // A closed handle and one never handed out are both invalid.
    for (HKEY bad : {key, HKEY(12345)}) {
        uint32_t length = 0;
        EXPECT_EQ(RegQueryValueEx(bad, "x", nullptr, nullptr, &length), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegSetValueEx(bad, "x", REG_SZ, "a", 1), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegFlushKey(bad), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
        HKEY sub;
        EXPECT_EQ(RegOpenKey(bad, "", &sub), ERROR_INVALID_HANDLE);
    }
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS); // hives need no closing
}

TEST_F(RegistryTest, ValuesReadBackByteForByteWithTheStoredLength) {
    struct Case {
        const char* name;
        uint32_t type;
        std::string bytes;
    };
    const Case cases[] = {
        {"WithTerminator", REG_SZ, std::string("/opt/kova\\", 10) + '\0'},
        {"WithoutTerminator", REG_SZ, "/opt/kova\\"},
        {"Empty", REG_SZ, ""},
        {"Level", REG_DWORD, std::string("\x02\x00\x00\x00", 4)},
        {"Blob", REG_BINARY, std::string("\x00\xFF\x00\x7F", 4)},
    };
    HKEY key;
    ASSERT_EQ(RegCreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Kova\\Grantry\\WINPROJ.EXE", &key), ERROR_SUCCESS);
    for (const auto& c : cases)
        ASSERT_EQ(RegSetValueEx(key, c.name, c.type, c.bytes.data(), uint32_t(c.bytes.size())),
                  ERROR_SUCCESS);
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, "SOFTWARE\\Kova\\Grantry\\WINPROJ.EXE", &key), ERROR_SUCCESS);
    for (const auto& c : cases) {
        std::string bytes;
        uint32_t type = 0;
        ASSERT_EQ(Query(key, c.name, bytes, &type), ERROR_SUCCESS) << c.name;
        EXPECT_EQ(bytes, c.bytes) << c.name;
        EXPECT_EQ(type, c.type) << c.name;

        uint32_t length = 0;
        EXPECT_EQ(RegQueryValueEx(key, c.name, nullptr, nullptr, &length), ERROR_SUCCESS);
        EXPECT_EQ(length, c.bytes.size()) << c.name;
    }
    RegCloseKey(key);
}

TEST_F(RegistryTest, TooSmallABufferReportsTheNeededLength) {
    HKEY key;
    ASSERT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kova", &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "Path", REG_SZ, "/opt/kova/", 11), ERROR_SUCCESS);
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    uint32_t length = sizeof buffer;
    EXPECT_EQ(RegQueryValueEx(key, "Path", nullptr, buffer, &length), ERROR_MORE_DATA);
    EXPECT_EQ(length, 11u);
    EXPECT_EQ(std::string(buffer, 8), "########");
    char exact[11];
    length = sizeof exact; // exactly the stored length is enough
    EXPECT_EQ(RegQueryValueEx(key, "Path", nullptr, exact, &length), ERROR_SUCCESS);
    EXPECT_EQ(std::string(exact, length), std::string("/opt/kova/", 11));
    RegCloseKey(key);
}

TEST_F(RegistryTest, NamesMatchWithoutRegardToCaseAndKeepTheirFirstCase) {
    HKEY key;
    ASSERT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows", &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "Path", REG_SZ, "a", 1), ERROR_SUCCESS);
    RegCloseKey(key);

    ASSERT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "Software\\microsoft\\WINDOWS\\App Paths", &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "\\software\\MICROSOFT\\windows\\", &key), ERROR_SUCCESS);
    std::string bytes;
    EXPECT_EQ(Query(key, "PATH", bytes), ERROR_SUCCESS);
    EXPECT_EQ(bytes, "a");
    ASSERT_EQ(RegSetValueEx(key, "path", REG_SZ, "bc", 2), ERROR_SUCCESS); // replaces, does not add
    EXPECT_EQ(Query(key, "Path", bytes), ERROR_SUCCESS);
    EXPECT_EQ(bytes, "bc");
    RegCloseKey(key);

    std::string file;
    ASSERT_TRUE(ReadWholeFile(home.path() / "registry.json", file));
    EXPECT_NE(file.find("\"SOFTWARE\""), std::string::npos);
    EXPECT_NE(file.find("\"Microsoft\""), std::string::npos);
    EXPECT_NE(file.find("\"Path\""), std::string::npos);
    EXPECT_EQ(file.find("\"Software\""), std::string::npos);
    EXPECT_EQ(file.find("\"path\""), std::string::npos);
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\MICROSOFT\\WINDOWS\\APP PATHS"));
}

TEST_F(RegistryTest, HivesAreSeparate) {
    ASSERT_TRUE(RegistrySetString(HKEY_CURRENT_USER, "Software\\Kova", "Who", "user"));
    ASSERT_TRUE(RegistrySetString(HKEY_LOCAL_MACHINE, "Software\\Kova", "Who", "machine"));
    std::string value;
    ASSERT_TRUE(RegistryGetString(HKEY_CURRENT_USER, "Software\\Kova", "Who", value));
    EXPECT_EQ(value, "user");
    ASSERT_TRUE(RegistryGetString(HKEY_LOCAL_MACHINE, "Software\\Kova", "Who", value));
    EXPECT_EQ(value, "machine");
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, "Software\\Kova"));
    EXPECT_FALSE(RegistryGetString(HKEY_CLASSES_ROOT, "Software\\Kova", "Who", value));
}

TEST_F(RegistryTest, TheFileHoldsEverythingAcrossAReload) {
    HKEY key;
    ASSERT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kova", &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "Raw", REG_SZ, "ab\0", 3), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_TRUE(RegistrySetDword(HKEY_CURRENT_USER, "Software\\Kova", "Level", 0x01020304));

    // A second machine folder holding a copy of the file: everything must come from the file.
    TempKovaHome other;
    std::filesystem::copy_file(home.path() / "registry.json", other.path() / "registry.json");
    ASSERT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "software\\kova", &key), ERROR_SUCCESS);
    std::string bytes;
    ASSERT_EQ(Query(key, "raw", bytes), ERROR_SUCCESS);
    EXPECT_EQ(bytes, std::string("ab\0", 3));
    RegCloseKey(key);
    uint32_t level = 0;
    ASSERT_TRUE(RegistryGetDword(HKEY_CURRENT_USER, "Software\\Kova", "Level", level));
    EXPECT_EQ(level, 0x01020304u);
}

TEST_F(RegistryTest, ChangesOfAnotherProcessAreSeen) {
    ASSERT_TRUE(RegistrySetString(HKEY_CURRENT_USER, "Software\\Kova", "Value", "before"));
    std::string value;
    ASSERT_TRUE(RegistryGetString(HKEY_CURRENT_USER, "Software\\Kova", "Value", value));

    ASSERT_EQ(InChild([] {
                  return RegistrySetString(HKEY_CURRENT_USER, "Software\\Kova", "Value", "after") ? 0 : 1;
              }),
              0);
    ASSERT_TRUE(RegistryGetString(HKEY_CURRENT_USER, "Software\\Kova", "Value", value));
    EXPECT_EQ(value, "after");
}

TEST_F(RegistryTest, ConcurrentWritersLoseNoUpdate) {
    constexpr int kWriters = 3, kValues = 30;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = ::fork();
        if (pid == 0) {
            for (int i = 0; i < kValues; ++i)
                if (!RegistrySetDword(HKEY_LOCAL_MACHINE, "Software\\Kova\\Counters",
                                      "w" + std::to_string(w) + "-" + std::to_string(i), uint32_t(i)))
                    ::_exit(1);
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < kWriters; ++w)
        for (int i = 0; i < kValues; ++i) {
            uint32_t value = 999;
            EXPECT_TRUE(RegistryGetDword(HKEY_LOCAL_MACHINE, "Software\\Kova\\Counters",
                                         "w" + std::to_string(w) + "-" + std::to_string(i), value));
            EXPECT_EQ(value, uint32_t(i));
        }
}

TEST_F(RegistryTest, DeletingKeysAndValues) {
    HKEY parent, child;
    ASSERT_EQ(RegCreateKey(HKEY_CURRENT_USER, "Software\\Kova\\Grantry", &child), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Software\\Kova", &parent), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Kova"), ERROR_ACCESS_DENIED); // has a subkey
    EXPECT_EQ(RegDeleteKey(parent, "GRANTRY"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(parent, "Grantry"), ERROR_FILE_NOT_FOUND);
    // The handle outlives its key, but no longer reaches anything.
    EXPECT_EQ(RegSetValueEx(child, "x", REG_SZ, "a", 1), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);

    ASSERT_EQ(RegSetValueEx(parent, "x", REG_SZ, "a", 1), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(parent, "X"), ERROR_SUCCESS);
    std::string bytes;
    EXPECT_EQ(Query(parent, "x", bytes), ERROR_FILE_NOT_FOUND);
    RegCloseKey(parent);

    ASSERT_TRUE(RegistrySetString(HKEY_CLASSES_ROOT, "Kova.Thing\\CLSID", "", "{1}"));
    EXPECT_TRUE(RegistryDeleteTree(HKEY_CLASSES_ROOT, "kova.thing"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, "Kova.Thing"));
    EXPECT_FALSE(RegistryDeleteTree(HKEY_CLASSES_ROOT, "Kova.Thing"));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Kova"));
}

TEST_F(RegistryTest, StringHelpersReadEitherFormOfText) {
    HKEY key;
    ASSERT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "Software\\Kova", &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "Bare", REG_SZ, "abc", 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "Number", REG_DWORD, "\x01\x00\x00\x00", 4), ERROR_SUCCESS);
    RegCloseKey(key);
    std::string value;
    ASSERT_TRUE(RegistryGetString(HKEY_LOCAL_MACHINE, "Software\\Kova", "Bare", value));
    EXPECT_EQ(value, "abc");
    EXPECT_FALSE(RegistryGetString(HKEY_LOCAL_MACHINE, "Software\\Kova", "Number", value));
    uint32_t number = 0;
    EXPECT_FALSE(RegistryGetDword(HKEY_LOCAL_MACHINE, "Software\\Kova", "Bare", number));

    // What the helper writes is what a Win32-style reader expects: the text and its terminating zero.
    ASSERT_TRUE(RegistrySetString(HKEY_LOCAL_MACHINE, "Software\\Kova", "Full", "abc"));
    ASSERT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "Software\\Kova", &key), ERROR_SUCCESS);
    std::string bytes;
    ASSERT_EQ(Query(key, "Full", bytes), ERROR_SUCCESS);
    EXPECT_EQ(bytes, std::string("abc\0", 4));
    ASSERT_EQ(Query(key, "Number", bytes), ERROR_SUCCESS);
    RegCloseKey(key);
}

// Several values of a key read at once: each as the helpers above read it alone, another process's change
// seen, and a missing key or value told apart.
TEST_F(RegistryTest, SeveralValuesOfAKeyReadAtOnce) {
    ASSERT_TRUE(RegistrySetString(HKEY_LOCAL_MACHINE, "Software\\Kova", "Name", "first"));
    ASSERT_TRUE(RegistrySetDword(HKEY_LOCAL_MACHINE, "Software\\Kova", "Count", 0xfffffffe));
    ASSERT_TRUE(RegistrySetDword(HKEY_LOCAL_MACHINE, "Software\\Kova", "Zero", 0));
    std::string name = "kept", number = "kept";
    std::optional<uint32_t> count, zero, text, missing;
    auto read = [&] {
        return RegistryGetValues(
            HKEY_LOCAL_MACHINE, "software\\KOVA", {{"name", &name}, {"Count", &number}},
            {{"COUNT", &count}, {"Zero", &zero}, {"Name", &text}, {"Missing", &missing}});
    };
    ASSERT_TRUE(read());
    EXPECT_EQ(name, "first");
    EXPECT_EQ(number, "kept"); // a number is not a text
    EXPECT_EQ(count, 0xfffffffeu);
    EXPECT_EQ(zero, 0u);
    EXPECT_FALSE(text); // nor a text a number
    EXPECT_FALSE(missing);

    ASSERT_EQ(InChild([] {
                  return RegistrySetString(HKEY_LOCAL_MACHINE, "Software\\Kova", "Name", "second") ? 0 : 1;
              }),
              0);
    ASSERT_TRUE(read());
    EXPECT_EQ(name, "second");
    EXPECT_FALSE(RegistryGetValues(HKEY_LOCAL_MACHINE, "Software\\Gone", {{"Name", &name}}, {}));
    EXPECT_EQ(name, "second");
}

TEST_F(RegistryTest, AHandWrittenFileIsReadAndABrokenOneIsLeftAlone) {
    const std::string file = R"({"HKEY_LOCAL_MACHINE": {"keys": {"SOFTWARE": {"values": {
        "Path": {"type": 1, "data": "2F6F70742F"}}}}}})";
    ASSERT_TRUE(WriteFileAtomically(home.path() / "registry.json", file));
    std::string value;
    ASSERT_TRUE(RegistryGetString(HKEY_LOCAL_MACHINE, "software", "path", value));
    EXPECT_EQ(value, "/opt/");

    ASSERT_TRUE(WriteFileAtomically(home.path() / "registry.json", "{ not json"));
    HKEY key;
    EXPECT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE", &key), ERROR_REGISTRY_CORRUPT);
    EXPECT_FALSE(RegistrySetString(HKEY_LOCAL_MACHINE, "SOFTWARE", "Path", "x"));
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(home.path() / "registry.json", bytes));
    EXPECT_EQ(bytes, "{ not json");
}

// Hand-edited files damaged in a value or a key: the message names the value and its key from the hive,
// and the file stays as it is.
TEST_F(RegistryTest, DamageNamesTheValueAndItsWholeKey) {
    const auto file = [](const std::string& settings) {
        return R"({"HKEY_LOCAL_MACHINE": {"keys": {"Software": {"keys": {"Kova": {"keys": {"Settings": )" + settings +
               "}}}}}}}";
    };
    const std::string key = R"(the key "HKEY_LOCAL_MACHINE\Software\Kova\Settings")";
    const struct {
        const char* settings;
        std::string expected;
    } cases[] = {
        {R"({"values": {"UILanguage": {"type": "4", "data": "09040000"}}})",
         R"(the value "UILanguage" of )" + key + " has no type"},
        {R"({"values": {"UILanguage": {"type": -4, "data": "09040000"}}})",
         R"(the value "UILanguage" of )" + key + " has no type"},
        {R"({"values": {"UILanguage": {"type": 4, "data": 1033}}})",
         R"(the value "UILanguage" of )" + key + " has no data"},
        {R"({"values": {"UILanguage": {"type": 4, "data": "0904zz00"}}})",
         R"(the value "UILanguage" of )" + key + " has an invalid hexadecimal digit"},
        {R"({"values": {"UILanguage": {"type": 4, "data": "090"}}})",
         R"(the value "UILanguage" of )" + key + " has an odd number of hexadecimal digits"},
        {R"({"values": {"UILanguage": {"type": 4, "data": "0904"}}})",
         R"(the value "UILanguage" of )" + key + " is a DWORD of 2 bytes instead of 4"},
        {R"({"values": {"UILanguage": 1033}})", R"(the value "UILanguage" of )" + key + " is not an object"},
        {R"({"values": [1033]})", "the values of " + key + " are not an object"},
        {R"([])", key + " is not an object"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        const std::string text = file(c.settings);
        ASSERT_TRUE(WriteFileAtomically(home.path() / "registry.json", text));
        const std::string damage = RegistryDamage();
        EXPECT_NE(damage.find(c.expected), std::string::npos) << damage;
        EXPECT_NE(damage.find((home.path() / "registry.json").string()), std::string::npos) << damage;
        EXPECT_FALSE(RegistrySetDword(HKEY_LOCAL_MACHINE, "Software\\Kova\\Settings", "UILanguage", 1033));
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(home.path() / "registry.json", bytes));
        EXPECT_EQ(bytes, text);
    }
}

// Another process holds the machine-wide lock: a change waits, says so after a second, and gives up
// at the bound naming the lock file; one whose holder lets go in time is made.
TEST_F(RegistryTest, AChangeWaitsForTheLockSaysSoAndGivesUpAtTheBound) {
    const auto lockPath = home.path() / "registry.json.lock";
    ScopedEnv bound("KOVA_REGISTRY_LOCK_WAIT", "1.6");
    for (const bool letGo : {true, false}) {
        SCOPED_TRACE(letGo ? "the holder lets go" : "the holder keeps it");
        int holder = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        ASSERT_GE(holder, 0);
        ASSERT_EQ(::flock(holder, LOCK_EX), 0);
        std::thread release;
        if (letGo)
            release = std::thread([holder] {
                std::this_thread::sleep_for(std::chrono::milliseconds(1300));
                ::close(holder);
            });
        testing::internal::CaptureStderr();
        const auto start = std::chrono::steady_clock::now();
        const bool stored = RegistrySetString(HKEY_LOCAL_MACHINE, "Software\\Kova", "Held", letGo ? "made" : "lost");
        const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::string said = testing::internal::GetCapturedStderr();
        if (release.joinable()) release.join();
        else ::close(holder);
        EXPECT_NE(said.find("Waiting for the registry lock \"" + lockPath.string() + "\""), std::string::npos) << said;
        std::string value;
        EXPECT_TRUE(RegistryGetString(HKEY_LOCAL_MACHINE, "Software\\Kova", "Held", value));
        EXPECT_EQ(value, "made"); // the change that waited is made, the one given up is not
        EXPECT_EQ(stored, letGo);
        if (letGo) {
            EXPECT_GE(waited, 1.2);
            EXPECT_LT(waited, 1.6);
            EXPECT_EQ(said.find("still held"), std::string::npos) << said;
        } else {
            EXPECT_GE(waited, 1.6);
            EXPECT_LT(waited, 3.0);
            const std::string gaveUp = "The registry lock \"" + lockPath.string() + "\" is still held by another program";
            EXPECT_NE(said.find(gaveUp), std::string::npos) << said;
            EXPECT_NE(RegistryLastProblem().find(gaveUp), std::string::npos) << RegistryLastProblem();
        }
    }
    // Having given up once, the process does not wait again while the lock is held; once the holder
    // lets go, changes are made again.
    int holder = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    testing::internal::CaptureStderr();
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(RegistrySetString(HKEY_LOCAL_MACHINE, "Software\\Kova", "Held", "again"));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0.5);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(RegistryLastProblem().find(lockPath.string()), std::string::npos);
    ::close(holder);
    EXPECT_TRUE(RegistrySetString(HKEY_LOCAL_MACHINE, "Software\\Kova", "Held", "after"));
}

} // namespace
} // namespace platform::os
