#include "app/Storage.h"

#include "app/FileStorage.h"
#include "support/StdoutCapture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

namespace fs = std::filesystem;

namespace {

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
    const std::tuple<std::string, std::string, const char*, std::string, int32_t> cases[] = { { "", "", "login", "default", -7 },
        { "", "login = \"ann@example.org\"", "login", "ann@example.org", -7 },
        { "login = \"admin@x\"", "login = \"ann@x\"", "login", "admin@x", -7 }, { "login = 5", "login = \"ann@x\"", "login", "", 5 },
        { "autoLogin = \"yes\"", "autoLogin = 1", "autoLogin", "yes", 1 }, { "autoLogin = 0.5", "autoLogin = 1", "autoLogin", "", 1 },
        { "", "login = 'a\\\"b\\\\c'", "login", "a\"b\\c", -7 }, { "", "# a remark\nautoLogin = -12\n", "autoLogin", "", -12 },
        { "", "autoLogin = 1, autoLogin = 0", "autoLogin", "", 0 }, { "login = \"never closed", "login = \"ann@x\"", "login", "ann@x", -7 } };
    for (const auto& [machineText, userText, name, text, number] : cases) {
        SCOPED_TRACE(machineText + " | " + userText);
        folder.write("etc/settings", machineText);
        folder.write("home/settings", userText);
        EXPECT_EQ(std::pair(files().readString(name, "default"), files().readInt(name, -7)), std::pair(text, number));
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
    files().writeString("A_Zaz0.9", std::string("ab\0cd", 5)); // every kind of byte a name may have
    EXPECT_EQ(files().readString("A_Zaz0.9", ""), "ab");
    EXPECT_EQ(folder.read(user), "login = \"{a = 1}\"\nautoLogin = -2147483648\n" + std::string("A_Zaz0.9 = \"ab\0cd\"\n", 19));
    EXPECT_EQ(fs::status(user).permissions(), fs::perms::owner_read | fs::perms::owner_write) << "it holds the password";
    std::string every; // the password is stored with each byte as two lower-case digits
    for (int byte = 0; byte < 256; ++byte)
        every += char(byte);
    EXPECT_EQ(hexDecode(hexEncode(every)), every);
    EXPECT_EQ(hexEncode(std::string("abc\x00\x0f\x80\xff", 7)), "616263000f80ff");
}

// A setting's line is replaced where it stands, earlier lines of the same name go, and
// everything else stays; a line that only looks like the setting because it lies inside a
// string is left alone and the setting appended. A refused name or value changes nothing.
TEST_F(StorageTest, WriteKeepsTheRestOfTheFile)
{
    folder.write("home/settings", "/* by\nhand */\nlogin = \"old\"\nzoom = 2.5\nlogin = \"older\"\nextra = {1, 2}\nsound = 1\n");
    files().writeString("login", "new");
    EXPECT_EQ(folder.read(user), "/* by\nhand */\nzoom = 2.5\nlogin = \"new\"\nextra = {1, 2}\nsound = 1\n");
    folder.write("home/settings", "note = \"first\nautoLogin = 1\n\"\nautoLogin = 2\n");
    files().writeInt("autoLogin", 0);
    EXPECT_EQ(files().readString("note", "") + std::to_string(files().readInt("autoLogin", 7)), "firstautoLogin = 10");
    folder.write("home/settings", "note = \"first\nautoLogin = 1\n\"\n"); // a quoted value there would end the string
    files().writeString("autoLogin", "v");
    EXPECT_EQ(files().readString("note", "") + files().readString("autoLogin", ""), "firstautoLogin = 1v");
    const std::string kept = folder.read(user);
    for (const auto& [name, value] : { std::pair { "bad name", "x" }, { "1st", "x" }, { "a-b", "x" }, { "login", "two\nlines" } }) {
        StdoutCapture output;
        files().writeString(name, value);
        EXPECT_EQ(output.text(), std::string(value) == "x" ? "Can't store setting '" + std::string(name) + "': not a valid name\n" : "Can't store setting login: a line break can't be stored\n");
    }
    EXPECT_EQ(folder.read(user), kept) << "refused writes change nothing";
}

// Root ignores folder permissions, so the write is made to fail by a file size limit
// (which the captured output must stay under too).
TEST_F(StorageTest, AFailedWriteLeavesTheOldFile)
{
    const std::string old = "login = \"ann@x\"\nautoLogin = 1\n";
    folder.write("home/settings", old);
    rlimit saved, small;
    getrlimit(RLIMIT_FSIZE, &saved);
    small = { 4096, saved.rlim_max };
    std::signal(SIGXFSZ, SIG_IGN); // so that the write fails instead of ending the program
    std::string printed;
    {
        StdoutCapture output;
        setrlimit(RLIMIT_FSIZE, &small);
        files().writeString("password", std::string(8000, 'f'));
        printed = output.text();
        setrlimit(RLIMIT_FSIZE, &saved);
    }
    EXPECT_EQ(printed, "Can't write settings file " + user.string() + ": File too large\n");
    EXPECT_EQ(folder.read(user), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(user.parent_path()), fs::directory_iterator()), 1) << "no file left beside it";
    user /= "sub/settings"; // below a file, where the settings cannot even be looked for
    StdoutCapture output;
    files().writeInt("autoLogin", 1);
    EXPECT_EQ(output.text(), "Can't write settings file " + user.string() + ": Not a directory\n");
}

// A broken user file reads as empty, with one line on standard output, and is never
// overwritten: an unparsable one is moved aside first, and a folder or a huge file stay.
TEST_F(StorageTest, ABrokenUserFileReadsAsEmptyAndIsNeverOverwritten)
{
    const std::string path = user.string();
    const std::tuple<std::string, std::string, bool> cases[] = { { "autoLogin = 0\nlogin = \"ann", "String at (2:8) doesn't closed", true },
        { "", "not a regular file", false }, { "# " + std::string(2 << 20, 'x'), "larger than 1 MiB", false } };
    folder.write("etc/settings", "autoLogin = 1\n");
    for (const auto& [content, problem, movedAside] : cases) {
        fs::remove_all(folder.path() / "home");
        if (content.empty())
            fs::create_directories(user);
        else
            folder.write("home/settings", content);
        FileStorage storage = files();
        StdoutCapture reads;
        EXPECT_EQ(storage.readString("login", "default"), "default");
        EXPECT_EQ(storage.readInt("autoLogin", 7), 1);
        EXPECT_EQ(reads.text(), "Can't read settings file " + path + ": " + problem + "\n");
        StdoutCapture write;
        storage.writeString("login", "bob@x");
        EXPECT_EQ(write.text(), (movedAside ? "Moved unreadable settings file " + path + " to " + path + ".corrupt: " : "Can't write settings file " + path + ": ") + problem + "\n");
        EXPECT_EQ(folder.read(movedAside ? path + ".corrupt" : path), content);
        EXPECT_EQ(storage.readString("login", "default"), movedAside ? "bob@x" : "default");
    }
}

TEST_F(StorageTest, PathsFollowTheEnvironmentAtEachUse)
{
    const std::string tail = "/Brinmoor/Tidewake/1.0/settings", root = folder.path().string();
    std::vector<std::pair<std::string, std::string>> saved;
    for (const char* name : { "HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS" }) // the test program sets all three
        saved.emplace_back(name, std::getenv(name));
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = { { "", "", root + "/.config" + tail, "/etc/xdg" + tail },
        { "relative", "rel::", root + "/.config" + tail, "/etc/xdg" + tail },
        { root + "/cfg", "rel:" + root + "/one:" + root + "/two", root + "/cfg" + tail, root + "/one" + tail } };
    FileStorage storage;
    for (const auto& [configHome, configDirs, userPath, machinePath] : cases) {
        for (const auto& [name, value] : { std::pair { "HOME", root }, { "XDG_CONFIG_HOME", configHome }, { "XDG_CONFIG_DIRS", configDirs } })
            setenv(name, value.c_str(), 1);
        EXPECT_EQ(storage.userFilePath(), userPath);
        EXPECT_EQ(storage.machineFilePath(), machinePath);
    }
    folder.write("one" + tail, "autoLogin = 1\n");
    storage.writeString("login", "ann@x");
    EXPECT_EQ(folder.read("cfg" + tail), "login = \"ann@x\"\n");
    EXPECT_EQ(storage.readInt("autoLogin", 0), 1);
    for (const auto& [name, value] : saved)
        setenv(name.c_str(), value.c_str(), 1);
}

// The process-wide settings point at the test's files.
TEST_F(StorageTest, ServerUrlsComeFromTheSettingsWithoutATrailingSlash)
{
    std::unique_ptr<Storage> saved = std::exchange(storage, std::make_unique<FileStorage>(machine.string(), user.string()));
    const std::string local = "http://127.0.0.1:7080";
    const std::tuple<const char*, std::string, std::string> cases[] = { { "", local, local },
        { "raceServer = \"http://race.test:8080/\"\ntileServer = \"http://tiles.test\"", "http://race.test:8080", "http://tiles.test" },
        { "raceServer = \"http://race.test//\"", "http://race.test/", local }, { "raceServer = \"\"\ntileServer = 5", local, local } };
    for (const auto& [settings, race, tile] : cases) {
        folder.write("home/settings", settings);
        reloadServerUrls();
        EXPECT_EQ(raceServerUrl() + " " + tileServerUrl(), race + " " + tile) << settings;
    }
    storage = std::move(saved);
    reloadServerUrls();
}

}
