#include "app/FileStorage.h"
#include "app/Storage.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void spill(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

int modeOf(const fs::path& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? static_cast<int>(status.st_mode & 07777) : -1;
}

// A fresh folder per test with the two settings files in it (neither exists at first).
class StorageFiles : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "storage-XXXXXX").string();
        root = mkdtemp(&pattern[0]);
        machinePath = root / "etc/settings";
        userPath = root / "home/settings";
    }
    void TearDown() override { fs::remove_all(root); }

    FileStorage files() { return FileStorage(machinePath.string(), userPath.string()); }

    fs::path root;
    fs::path machinePath;
    fs::path userPath;
};

struct ReadCase {
    const char* machine;
    const char* user;
    const char* name;
    std::string text;
    int32_t number;
};

TEST_F(StorageFiles, ReadsTheMachineFileFirstWithTypedValues)
{
    const ReadCase cases[] = {
        { nullptr, nullptr, "login", "default", -7 },
        { nullptr, "login = \"ann@example.org\"", "login", "ann@example.org", -7 },
        { "login = \"admin@x\"", "login = \"ann@x\"", "login", "admin@x", -7 },
        // A number where a string is expected reads as empty without looking further.
        { "login = 5", "login = \"ann@x\"", "login", "", 5 },
        // A string where a number is expected is missing, so the user file is consulted.
        { "autoLogin = \"yes\"", "autoLogin = 1", "autoLogin", "yes", 1 },
        { "autoLogin = 0.5", "autoLogin = 1", "autoLogin", "", 1 },
        { nullptr, "login = {a, b}", "login", "", -7 },
        { nullptr, "login = \"\"", "login", "", -7 },
        { nullptr, "login = ann", "login", "ann", -7 },
        { nullptr, "login = 'a\\\"b\\\\c'", "login", "a\"b\\c", -7 },
        { nullptr, "# a remark\nautoLogin = -12\n", "autoLogin", "", -12 },
        { nullptr, "autoLogin = 1, autoLogin = 0", "autoLogin", "", 0 },
        { "login = \"never closed", "login = \"ann@x\"", "login", "ann@x", -7 },
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(std::string(c.machine ? c.machine : "-") + " | " + (c.user ? c.user : "-"));
        fs::remove(machinePath);
        fs::remove(userPath);
        if (c.machine)
            spill(machinePath, c.machine);
        if (c.user)
            spill(userPath, c.user);
        testing::internal::CaptureStdout();
        FileStorage storage = files();
        EXPECT_EQ(storage.readString(c.name, "default"), c.text);
        EXPECT_EQ(storage.readInt(c.name, -7), c.number);
        testing::internal::GetCapturedStdout();
    }
}

TEST_F(StorageFiles, WrittenValuesReadBackExactly)
{
    const std::string strings[] = { "", "ann@example.org", "a\"b", "back\\slash\\", "\\\"", "tab\tand\rreturn",
        "# not a remark", "/* nor this */", "caf\xc3\xa9 \x80\xff", "{a = 1}" };
    for (const std::string& value : strings) {
        files().writeString("login", value);
        EXPECT_EQ(files().readString("login", "default"), value);
    }
    for (int32_t value : { 0, 1, -1, INT32_MAX, INT32_MIN }) {
        files().writeInt("autoLogin", value);
        EXPECT_EQ(files().readInt("autoLogin", 99), value);
    }
    files().writeString("password", std::string("ab\0cd", 5));
    EXPECT_EQ(files().readString("password", ""), "ab");
    EXPECT_EQ(slurp(userPath), "login = \"{a = 1}\"\nautoLogin = -2147483648\n" + std::string("password = \"ab\0cd\"\n", 19));
    EXPECT_FALSE(fs::exists(machinePath));
}

TEST_F(StorageFiles, WriteKeepsTheRestOfTheFile)
{
    spill(userPath, "# written by hand\nlogin = \"old\"\nzoom = 2.5\nlogin = \"older\"\nextra = {1, 2}\n");
    files().writeString("login", "new");
    EXPECT_EQ(slurp(userPath), "# written by hand\nzoom = 2.5\nlogin = \"new\"\nextra = {1, 2}\n");

    // The second line looks like a setting but belongs to the string around it.
    spill(userPath, "note = \"first\nautoLogin = 1\n\"\n");
    files().writeInt("autoLogin", 0);
    EXPECT_EQ(files().readString("note", ""), "firstautoLogin = 1");
    EXPECT_EQ(files().readInt("autoLogin", 7), 0);
}

TEST_F(StorageFiles, UserFileIsPrivateAndReplacedWhole)
{
    userPath = root / "new/deeper/settings";
    files().writeInt("autoLogin", 1);
    EXPECT_EQ(modeOf(userPath), 0600);
    EXPECT_EQ(modeOf(root / "new"), 0700);

    chmod(userPath.c_str(), 0644);
    files().writeInt("autoLogin", 0);
    EXPECT_EQ(modeOf(userPath), 0600);
    EXPECT_EQ(std::distance(fs::directory_iterator(userPath.parent_path()), fs::directory_iterator()), 1);
}

// Root ignores folder permissions, so the failed write is brought about by a file size limit
// (which the captured output must stay under too).
TEST_F(StorageFiles, FailedWriteLeavesTheOldFile)
{
    const std::string old = "login = \"ann@x\"\nautoLogin = 1\n";
    spill(userPath, old);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStdout();
    files().writeString("password", std::string(8000, 'f'));
    std::string output = testing::internal::GetCapturedStdout();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(output, "Can't write settings file " + userPath.string() + ": File too large\n");
    EXPECT_EQ(slurp(userPath), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(userPath.parent_path()), fs::directory_iterator()), 1);
}

struct BrokenCase {
    std::string content; // empty: a folder stands where the file should be
    std::string problem;
    bool movedAside;
    std::string writeMessage;
};

TEST_F(StorageFiles, BrokenUserFileReadsAsEmptyAndIsNeverOverwritten)
{
    const std::string user = userPath.string();
    const std::string corrupt = "autoLogin = 0\nlogin = \"ann";
    const BrokenCase cases[] = {
        { corrupt, "String at (2:8) doesn't closed", true,
            "Moved unreadable settings file " + user + " to " + user + ".corrupt: String at (2:8) doesn't closed\n" },
        { "", "not a regular file", false, "Can't write settings file " + user + ": not a regular file\n" },
        { "# " + std::string(2 << 20, 'x'), "larger than 1 MiB", false,
            "Can't write settings file " + user + ": larger than 1 MiB\n" },
    };
    spill(machinePath, "autoLogin = 1\n");
    for (const BrokenCase& c : cases) {
        SCOPED_TRACE(c.problem);
        fs::remove_all(root / "home");
        if (c.content.empty())
            fs::create_directories(userPath);
        else
            spill(userPath, c.content);
        testing::internal::CaptureStdout();
        FileStorage storage = files();
        EXPECT_EQ(storage.readString("login", "default"), "default");
        EXPECT_EQ(storage.readInt("autoLogin", 7), 1);
        EXPECT_EQ(storage.readInt("volume", 7), 7);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't read settings file " + user + ": " + c.problem + "\n");

        testing::internal::CaptureStdout();
        storage.writeString("login", "bob@x");
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.writeMessage);
        EXPECT_EQ(slurp(c.movedAside ? user + ".corrupt" : user), c.content);
        EXPECT_EQ(fs::is_directory(userPath), c.content.empty());
        EXPECT_EQ(storage.readString("login", "default"), c.movedAside ? "bob@x" : "default");
    }
}

TEST_F(StorageFiles, RefusedWritesChangeNothing)
{
    spill(userPath, "login = \"ann@x\"\n");
    const struct {
        const char* name;
        std::string value;
        std::string message;
    } cases[] = {
        { "bad name", "x", "Can't store setting 'bad name': not a valid name\n" },
        { "1st", "x", "Can't store setting '1st': not a valid name\n" },
        { "login", "two\nlines", "Can't store setting login: a line break can't be stored\n" },
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        files().writeString(c.name, c.value);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
    }
    EXPECT_EQ(slurp(userPath), "login = \"ann@x\"\n");
}

// Sets environment variables for one scope and puts the old values back.
class Environment {
public:
    void set(const char* name, const char* value)
    {
        const char* old = std::getenv(name);
        saved.emplace_back(name, old ? std::make_unique<std::string>(old) : nullptr);
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~Environment()
    {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it)
            it->second ? setenv(it->first, it->second->c_str(), 1) : unsetenv(it->first);
    }

private:
    std::vector<std::pair<const char*, std::unique_ptr<std::string>>> saved;
};

TEST_F(StorageFiles, PathsFollowTheEnvironmentAtUse)
{
    const std::string tail = "/Brinmoor/Tidewake/1.0/settings";
    const std::string r = root.string();
    const std::string cfg = r + "/cfg";
    const std::string dirs = "rel:" + r + "/one:" + r + "/two";
    const struct {
        const char* configHome;
        const char* configDirs;
        std::string user;
        std::string machine;
    } cases[] = {
        { nullptr, nullptr, r + "/.config" + tail, "/etc/xdg" + tail },
        { "relative", "", r + "/.config" + tail, "/etc/xdg" + tail },
        { cfg.c_str(), dirs.c_str(), cfg + tail, r + "/one" + tail },
    };
    FileStorage storage;
    for (const auto& c : cases) {
        Environment environment;
        environment.set("HOME", r.c_str());
        environment.set("XDG_CONFIG_HOME", c.configHome);
        environment.set("XDG_CONFIG_DIRS", c.configDirs);
        EXPECT_EQ(storage.userFilePath(), c.user);
        EXPECT_EQ(storage.machineFilePath(), c.machine);
    }

    Environment environment;
    environment.set("XDG_CONFIG_HOME", (r + "/cfg").c_str());
    environment.set("XDG_CONFIG_DIRS", (r + "/one").c_str());
    spill(r + "/one" + tail, "autoLogin = 1\n");
    storage.writeString("login", "ann@x");
    EXPECT_EQ(slurp(r + "/cfg" + tail), "login = \"ann@x\"\n");
    EXPECT_EQ(storage.readInt("autoLogin", 0), 1);
}

TEST(Hex, EncodesEachByteAsTwoLowerCaseDigits)
{
    const std::pair<std::string, std::string> cases[] = {
        { "", "" },
        { "abc", "616263" },
        { "\xe9", "e9" },
        { std::string("\x00\x0f\x80\xff", 4), "000f80ff" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(hexEncode(c.first), c.second);

    std::string every;
    for (int byte = 0; byte < 256; ++byte) {
        std::string one(1, static_cast<char>(byte));
        EXPECT_EQ(hexDecode(hexEncode(one)), one);
        every += one;
    }
    EXPECT_EQ(hexDecode(hexEncode(every)), every);
}

TEST(Hex, DecodesPairsAsFarAsTheyReadAsNumbers)
{
    const std::pair<std::string, std::string> cases[] = {
        { "616263", "abc" },
        { "E9e9", "\xe9\xe9" },
        { "abc", "\xab\x0c" },
        { "f", "\x0f" },
        { "4z", "\x04" },
        { "z4", std::string(1, '\0') },
        { "zz61", std::string("\0a", 2) },
        { "-1", "\xff" },
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(hexDecode(c.first), c.second) << c.first;
}

// Points the process-wide settings at the test's files for one test.
class ServerUrls : public StorageFiles {
protected:
    void SetUp() override
    {
        StorageFiles::SetUp();
        saved = std::move(storage);
        storage = std::make_unique<FileStorage>(machinePath.string(), userPath.string());
    }
    void TearDown() override
    {
        storage = std::move(saved);
        reloadServerUrls();
        StorageFiles::TearDown();
    }

    std::unique_ptr<Storage> saved;
};

TEST_F(ServerUrls, ComeFromTheSettingsWithoutATrailingSlash)
{
    const struct {
        const char* settings;
        std::string race;
        std::string tile;
    } cases[] = {
        { "", "http://127.0.0.1:7080", "http://127.0.0.1:7080" },
        { "raceServer = \"http://race.test:8080/\"\ntileServer = \"http://tiles.test\"",
            "http://race.test:8080", "http://tiles.test" },
        { "raceServer = \"http://race.test//\"", "http://race.test/", "http://127.0.0.1:7080" },
        { "raceServer = \"\"\ntileServer = 5", "http://127.0.0.1:7080", "http://127.0.0.1:7080" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        spill(userPath, c.settings);
        reloadServerUrls();
        EXPECT_EQ(raceServerUrl(), c.race);
        EXPECT_EQ(tileServerUrl(), c.tile);
    }

    storage->writeString("raceServer", "http://changed.test");
    EXPECT_EQ(raceServerUrl(), "http://127.0.0.1:7080");
    reloadServerUrls();
    EXPECT_EQ(raceServerUrl(), "http://changed.test");

    storage.reset();
    reloadServerUrls();
    EXPECT_EQ(raceServerUrl(), "http://127.0.0.1:7080");
}

}
