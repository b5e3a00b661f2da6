#include "app/Storage.h"
#include "app/FileStorage.h"
#include "support/StdoutCapture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

int modeOf(const fs::path& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

size_t filesIn(const fs::path& folder)
{
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// The machine-wide file etc/settings and the per-user file home/settings of a fresh folder;
// neither exists at first.
class StorageTest : public testing::Test {
protected:
    FileStorage files() const { return FileStorage(machine.string(), user.string()); }

    TempFolder folder;
    fs::path machine = folder.path() / "etc/settings";
    fs::path user = folder.path() / "home/settings";
};

// The machine file is read first. A number where a string is asked for reads as empty
// without looking further; a string where a number is asked for is missing, so the user
// file is consulted.
TEST_F(StorageTest, ReadsTheMachineFileFirstWithTypedValues)
{
    const std::tuple<const char*, const char*, const char*, std::string, int32_t> cases[] = {
        { nullptr, nullptr, "login", "default", -7 }, { nullptr, "login = \"ann@example.org\"", "login", "ann@example.org", -7 },
        { "login = \"admin@x\"", "login = \"ann@x\"", "login", "admin@x", -7 }, { "login = 5", "login = \"ann@x\"", "login", "", 5 },
        { "autoLogin = \"yes\"", "autoLogin = 1", "autoLogin", "yes", 1 }, { "autoLogin = 0.5", "autoLogin = 1", "autoLogin", "", 1 },
        { nullptr, "login = {a, b}", "login", "", -7 }, { nullptr, "login = ann", "login", "ann", -7 },
        { nullptr, "login = 'a\\\"b\\\\c'", "login", "a\"b\\c", -7 }, { nullptr, "# a remark\nautoLogin = -12\n", "autoLogin", "", -12 },
        { nullptr, "autoLogin = 1, autoLogin = 0", "autoLogin", "", 0 }, { "login = \"never closed", "login = \"ann@x\"", "login", "ann@x", -7 }
    };
    for (const auto& [machineText, userText, name, text, number] : cases) {
        SCOPED_TRACE(std::string(machineText ? machineText : "-") + " | " + (userText ? userText : "-"));
        fs::remove_all(folder.path() / "etc");
        fs::remove_all(folder.path() / "home");
        if (machineText)
            folder.write("etc/settings", machineText);
        if (userText)
            folder.write("home/settings", userText);
        StdoutCapture output;
        EXPECT_EQ(files().readString(name, "default"), text);
        EXPECT_EQ(files().readInt(name, -7), number);
    }
}

TEST_F(StorageTest, WrittenValuesReadBackExactly)
{
    for (const std::string value : { "", "ann@example.org", "a\"b", "back\\slash\\", "\\\"", "tab\tand\rreturn",
             "# not a remark", "/* nor this */", "caf\xc3\xa9 \x80\xff", "{a = 1}" }) {
        files().writeString("login", value);
        EXPECT_EQ(files().readString("login", "default"), value);
    }
    for (int32_t value : { 0, 1, -1, INT32_MAX, INT32_MIN }) {
        files().writeInt("autoLogin", value);
        EXPECT_EQ(files().readInt("autoLogin", 99), value);
    }
    files().writeString("Zoom_0.9", std::string("ab\0cd", 5)); // every kind of byte a name may have
    EXPECT_EQ(files().readString("Zoom_0.9", ""), "ab");
    EXPECT_EQ(folder.read(user), "login = \"{a = 1}\"\nautoLogin = -2147483648\n" + std::string("Zoom_0.9 = \"ab\0cd\"\n", 19));
    EXPECT_FALSE(fs::exists(machine));
}

// A setting's line is replaced where it stands, earlier lines of the same name go, and
// everything else stays; a line that only looks like the setting because it lies inside a
// string is left alone and the setting appended.
TEST_F(StorageTest, WriteKeepsTheRestOfTheFile)
{
    folder.write("home/settings", "# by hand\nlogin = \"old\"\nzoom = 2.5\nlogin = \"older\"\nextra = {1, 2}\nsound = 1\n");
    files().writeString("login", "new");
    EXPECT_EQ(folder.read(user), "# by hand\nzoom = 2.5\nlogin = \"new\"\nextra = {1, 2}\nsound = 1\n");
    folder.write("home/settings", "note = \"first\nautoLogin = 1\n\"\nautoLogin = 2\n");
    files().writeInt("autoLogin", 0);
    EXPECT_EQ(files().readString("note", ""), "firstautoLogin = 1");
    EXPECT_EQ(files().readInt("autoLogin", 7), 0);
}

TEST_F(StorageTest, TheUserFileIsPrivateAndReplacedWhole)
{
    user = folder.path() / "new/deeper/settings";
    files().writeInt("autoLogin", 1);
    EXPECT_EQ(modeOf(user), 0600);
    EXPECT_EQ(modeOf(folder.path() / "new"), 0700);
    chmod(user.c_str(), 0644);
    files().writeInt("autoLogin", 0);
    EXPECT_EQ(modeOf(user), 0600);
    EXPECT_EQ(filesIn(user.parent_path()), 1u);
}

// Root ignores folder permissions, so the write is made to fail by a file size limit
// (which the captured output must stay under too).
TEST_F(StorageTest, AFailedWriteLeavesTheOldFile)
{
    const std::string old = "login = \"ann@x\"\nautoLogin = 1\n";
    folder.write("home/settings", old);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    std::string printed;
    {
        StdoutCapture output;
        setrlimit(RLIMIT_FSIZE, &small);
        files().writeString("password", std::string(8000, 'f'));
        printed = output.text();
        setrlimit(RLIMIT_FSIZE, &saved);
    }
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(printed, "Can't write settings file " + user.string() + ": File too large\n");
    EXPECT_EQ(folder.read(user), old);
    EXPECT_EQ(filesIn(user.parent_path()), 1u);
}

// A broken user file reads as empty, with one line on standard output, and is never
// overwritten: an unparsable one is moved aside first, and a folder or a huge file stay.
TEST_F(StorageTest, ABrokenUserFileReadsAsEmptyAndIsNeverOverwritten)
{
    const std::string path = user.string(), corrupt = "autoLogin = 0\nlogin = \"ann";
    const std::tuple<std::string, std::string, bool, std::string> cases[] = {
        { corrupt, "String at (2:8) doesn't closed", true,
            "Moved unreadable settings file " + path + " to " + path + ".corrupt: String at (2:8) doesn't closed\n" },
        { "", "not a regular file", false, "Can't write settings file " + path + ": not a regular file\n" },
        { "# " + std::string(2 << 20, 'x'), "larger than 1 MiB", false, "Can't write settings file " + path + ": larger than 1 MiB\n" }
    };
    folder.write("etc/settings", "autoLogin = 1\n");
    for (const auto& [content, problem, movedAside, writeMessage] : cases) {
        SCOPED_TRACE(problem);
        fs::remove_all(folder.path() / "home");
        if (content.empty())
            fs::create_directories(user);
        else
            folder.write("home/settings", content);
        FileStorage storage = files();
        StdoutCapture reads;
        EXPECT_EQ(storage.readString("login", "default"), "default");
        EXPECT_EQ(storage.readInt("autoLogin", 7), 1);
        EXPECT_EQ(storage.readInt("volume", 7), 7);
        EXPECT_EQ(reads.text(), "Can't read settings file " + path + ": " + problem + "\n");
        StdoutCapture write;
        storage.writeString("login", "bob@x");
        EXPECT_EQ(write.text(), writeMessage);
        EXPECT_EQ(folder.read(movedAside ? path + ".corrupt" : path), content);
        EXPECT_EQ(storage.readString("login", "default"), movedAside ? "bob@x" : "default");
    }
}

TEST_F(StorageTest, RefusedWritesChangeNothing)
{
    folder.write("home/settings", "login = \"ann@x\"\n");
    const std::tuple<const char*, const char*, std::string> cases[] = {
        { "bad name", "x", "Can't store setting 'bad name': not a valid name\n" },
        { "1st", "x", "Can't store setting '1st': not a valid name\n" }, { "a-b", "x", "Can't store setting 'a-b': not a valid name\n" },
        { "login", "two\nlines", "Can't store setting login: a line break can't be stored\n" }
    };
    for (const auto& [name, value, message] : cases) {
        StdoutCapture output;
        files().writeString(name, value);
        EXPECT_EQ(output.text(), message);
    }
    EXPECT_EQ(folder.read(user), "login = \"ann@x\"\n");
}

// Sets environment variables for one scope and puts the old values back.
class Environment {
public:
    void set(const char* name, const std::string& value)
    {
        const char* old = std::getenv(name);
        saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name, value.c_str(), 1);
    }
    ~Environment()
    {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it)
            it->second ? setenv(it->first, it->second->c_str(), 1) : unsetenv(it->first);
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
};

TEST_F(StorageTest, PathsFollowTheEnvironmentAtEachUse)
{
    const std::string tail = "/Brinmoor/Tidewake/1.0/settings", root = folder.path().string();
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        { "", "", root + "/.config" + tail, "/etc/xdg" + tail },
        { "relative", "rel::", root + "/.config" + tail, "/etc/xdg" + tail },
        { root + "/cfg", "rel:" + root + "/one:" + root + "/two", root + "/cfg" + tail, root + "/one" + tail }
    };
    FileStorage storage;
    for (const auto& [configHome, configDirs, userPath, machinePath] : cases) {
        Environment environment;
        environment.set("HOME", root);
        environment.set("XDG_CONFIG_HOME", configHome);
        environment.set("XDG_CONFIG_DIRS", configDirs);
        EXPECT_EQ(storage.userFilePath(), userPath);
        EXPECT_EQ(storage.machineFilePath(), machinePath);
    }
    Environment environment;
    environment.set("XDG_CONFIG_HOME", root + "/cfg");
    environment.set("XDG_CONFIG_DIRS", root + "/one");
    folder.write("one" + tail, "autoLogin = 1\n");
    storage.writeString("login", "ann@x");
    EXPECT_EQ(folder.read("cfg" + tail), "login = \"ann@x\"\n");
    EXPECT_EQ(storage.readInt("autoLogin", 0), 1);
}

TEST(Hex, EncodesEachByteAsTwoLowerCaseDigitsAndDecodesPairsAsFarAsTheyReadAsNumbers)
{
    std::string every;
    for (int byte = 0; byte < 256; ++byte)
        every += char(byte);
    EXPECT_EQ(hexDecode(hexEncode(every)), every);
    EXPECT_EQ(hexEncode(std::string("abc\x00\x0f\x80\xff", 7)), "616263000f80ff");
    const std::pair<std::string, std::string> decodings[] = { { "E9e9", "\xe9\xe9" }, { "abc", "\xab\x0c" },
        { "4z", "\x04" }, { "z4", std::string(1, '\0') }, { "zz61", std::string("\0a", 2) }, { "-1", "\xff" }, { "", "" } };
    for (const auto& [text, bytes] : decodings)
        EXPECT_EQ(hexDecode(text), bytes) << text;
}

// The process-wide settings point at the test's files.
TEST_F(StorageTest, ServerUrlsComeFromTheSettingsWithoutATrailingSlash)
{
    std::unique_ptr<Storage> saved = std::move(storage);
    storage = std::make_unique<FileStorage>(machine.string(), user.string());
    const std::tuple<const char*, std::string, std::string> cases[] = {
        { "", "http://127.0.0.1:7080", "http://127.0.0.1:7080" },
        { "raceServer = \"http://race.test:8080/\"\ntileServer = \"http://tiles.test\"", "http://race.test:8080", "http://tiles.test" },
        { "raceServer = \"http://race.test//\"", "http://race.test/", "http://127.0.0.1:7080" },
        { "raceServer = \"\"\ntileServer = 5", "http://127.0.0.1:7080", "http://127.0.0.1:7080" }
    };
    for (const auto& [settings, race, tile] : cases) {
        folder.write("home/settings", settings);
        reloadServerUrls();
        EXPECT_EQ(raceServerUrl() + " " + tileServerUrl(), race + " " + tile) << settings;
    }
    storage->writeString("raceServer", "http://changed.test");
    EXPECT_EQ(raceServerUrl(), "http://127.0.0.1:7080") << "read once";
    reloadServerUrls();
    EXPECT_EQ(raceServerUrl(), "http://changed.test");
    storage.reset();
    reloadServerUrls();
    EXPECT_EQ(raceServerUrl(), "http://127.0.0.1:7080");
    storage = std::move(saved);
    reloadServerUrls();
}

}
