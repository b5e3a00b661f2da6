#include "app/FileStorage.h"

#include "table/Exception.h"
#include "table/Table.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char* const settingsTail = "/Brinmoor/Tidewake/1.0/settings";

// Settings files are a few lines long; anything bigger is not ours and is not read whole.
const off_t maximumFileSize = 1 << 20;

bool isAbsolute(const char* path)
{
    return path && path[0] == '/';
}

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (isAbsolute(home))
        return home;
    const passwd* entry = getpwuid(getuid());
    if (entry && isAbsolute(entry->pw_dir))
        return entry->pw_dir;
    return {};
}

// Relative entries of the XDG variables are ignored, as the base-directory rules ask.
std::string configHome()
{
    const char* configured = std::getenv("XDG_CONFIG_HOME");
    if (isAbsolute(configured))
        return configured;
    std::string home = homeFolder();
    return home.empty() ? home : home + "/.config";
}

std::string firstConfigFolder()
{
    const char* configured = std::getenv("XDG_CONFIG_DIRS");
    std::string folders = configured ? configured : "";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(start, end - start);
        if (isAbsolute(folder.c_str()))
            return folder;
        start = end + 1;
    }
    return "/etc/xdg";
}

std::string errorText()
{
    return std::strerror(errno);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    // Closes now so that the caller sees the error close reports.
    bool close()
    {
        int result = ::close(fd);
        fd = -1;
        return result == 0;
    }

    int fd;
};

enum class ReadStatus {
    Read,
    Missing,
    Failed,
};

// A missing file is not a problem: it holds no settings, like an absent registry key.
ReadStatus readText(const std::string& path, std::string& text, std::string& problem)
{
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (file.fd < 0) {
        if (errno == ENOENT)
            return ReadStatus::Missing;
        problem = errorText();
        return ReadStatus::Failed;
    }
    struct stat status;
    if (fstat(file.fd, &status) != 0) {
        problem = errorText();
        return ReadStatus::Failed;
    }
    if (!S_ISREG(status.st_mode)) {
        problem = "not a regular file";
        return ReadStatus::Failed;
    }
    if (status.st_size > maximumFileSize) {
        problem = "larger than 1 MiB";
        return ReadStatus::Failed;
    }
    text.clear();
    char buffer[4096];
    for (;;) {
        ssize_t count = ::read(file.fd, buffer, sizeof buffer);
        if (count == 0)
            return ReadStatus::Read;
        if (count < 0 && errno != EINTR) {
            problem = errorText();
            return ReadStatus::Failed;
        }
        if (count > 0)
            text.append(buffer, static_cast<size_t>(count));
        if (text.size() > static_cast<size_t>(maximumFileSize)) {
            problem = "larger than 1 MiB";
            return ReadStatus::Failed;
        }
    }
}

const Value* lookUp(const Table& table, const std::string& name)
{
    auto entry = table.find(name);
    return entry == table.end() ? nullptr : entry->second.get();
}

bool sameTable(const Table& left, const Table& right);

bool sameValue(const Value& left, const Value& right)
{
    if (left.type() != right.type())
        return false;
    switch (left.type()) {
    case IntType:
        return left.toInt() == right.toInt();
    case DoubleType:
        return left.toDouble() == right.toDouble();
    case StringType:
        return left.toString() == right.toString();
    case TableType:
        return sameTable(*left.toTable(), *right.toTable());
    }
    return false;
}

bool sameTable(const Table& left, const Table& right)
{
    if (left.size() != right.size() || left.nextIndex != right.nextIndex)
        return false;
    for (auto l = left.begin(), r = right.begin(); l != left.end(); ++l, ++r) {
        if (l->first != r->first || !l->second != !r->second)
            return false;
        if (l->second && !sameValue(*l->second, *r->second))
            return false;
    }
    return true;
}

bool readsAs(const std::string& text, const Table& expected)
{
    try {
        return sameTable(parseTable(text), expected);
    } catch (const Exception&) {
        return false;
    }
}

// Only names that the table format reads as keys can be stored.
bool isSettingName(const std::string& name)
{
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (name.empty() || !letter(name[0]))
        return false;
    for (char c : name) {
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '.')
            return false;
    }
    return true;
}

// The format keeps the byte after a backslash literally, so escaping the quote and the
// backslash is enough for every byte but the line feed, which no string can hold.
std::string quoted(const std::string& value)
{
    std::string text = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            text += '\\';
        text += c;
    }
    return text + "\"";
}

bool holdsOnlyEntryFor(const std::string& line, const std::string& name)
{
    try {
        Table table = parseTable(line);
        return table.size() == 1 && table.nextIndex == 0 && table.begin()->first == name;
    } catch (const Exception&) {
        return false;
    }
}

std::string appendLine(std::string text, const std::string& line)
{
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    return text + line + '\n';
}

// Puts the new line where the setting stood, so that comments and the order of a file
// edited by hand survive; earlier lines for the same name are dropped.
std::string replaceEntryLines(const std::string& text, const std::string& name, const std::string& newLine)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    size_t last = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (holdsOnlyEntryFor(lines[i], name))
            last = i;
    }
    if (last == lines.size())
        return appendLine(text, newLine);
    std::string result;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == last)
            result += newLine + '\n';
        else if (!holdsOnlyEntryFor(lines[i], name))
            result += lines[i] + '\n';
    }
    return result;
}

// The text of the file with the setting changed. A line that looks like the setting's may
// belong to a string or a remark spanning several lines; when replacing it would change
// anything else, the new line is appended instead, which the format reads as replacing any
// earlier entry of the same name.
std::string withSetting(const std::string& text, const Table& before, const std::string& name,
    const std::string& newLine, const Value& value)
{
    Table expected = before;
    expected.set(name, value.clone());
    std::string edited = replaceEntryLines(text, name, newLine);
    if (readsAs(edited, expected))
        return edited;
    return appendLine(text, newLine);
}

std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates the missing folders of the path readable by the owner only; existing ones are
// left as they are.
bool makeFolders(const std::string& folder, std::string& problem)
{
    size_t next = 0;
    while (next != std::string::npos) {
        next = folder.find('/', next + 1);
        std::string prefix = folder.substr(0, next);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            problem = errorText();
            return false;
        }
    }
    return true;
}

bool writeAll(int fd, const std::string& text)
{
    size_t written = 0;
    while (written < text.size()) {
        ssize_t count = ::write(fd, text.data() + written, text.size() - written);
        if (count < 0 && errno != EINTR)
            return false;
        if (count > 0)
            written += static_cast<size_t>(count);
    }
    return true;
}

// Writes a temporary file beside the target and renames it over the target, so that the
// file is at every moment either the old one or the new one, never half written.
bool replaceFile(const std::string& path, const std::string& text, std::string& problem)
{
    std::string folder = folderOf(path);
    if (!makeFolders(folder, problem))
        return false;
    std::string temporary = path + ".XXXXXX";
    FileDescriptor file(mkstemp(&temporary[0]));
    if (file.fd < 0) {
        problem = errorText();
        return false;
    }
    bool written = fchmod(file.fd, 0600) == 0 && writeAll(file.fd, text) && fsync(file.fd) == 0;
    if (written)
        written = file.close();
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        problem = errorText();
        unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk only with the folder.
    FileDescriptor folderHandle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderHandle.fd >= 0)
        fsync(folderHandle.fd);
    return true;
}

}

FileStorage::FileStorage(std::string machinePath, std::string userPath)
{
    machine.fixedPath = std::move(machinePath);
    user.fixedPath = std::move(userPath);
}

std::string FileStorage::userFilePath() const
{
    if (!user.fixedPath.empty())
        return user.fixedPath;
    std::string folder = configHome();
    return folder.empty() ? folder : folder + settingsTail;
}

std::string FileStorage::machineFilePath() const
{
    if (!machine.fixedPath.empty())
        return machine.fixedPath;
    return firstConfigFolder() + settingsTail;
}

std::string FileStorage::readString(const std::string& name, const std::string& defaultValue)
{
    for (Source* source : { &machine, &user }) {
        Table table = load(*source);
        const Value* value = lookUp(table, name);
        if (!value)
            continue;
        if (value->type() != StringType)
            return {};
        std::string text = value->toString();
        return text.substr(0, text.find('\0'));
    }
    return defaultValue;
}

int32_t FileStorage::readInt(const std::string& name, int32_t defaultValue)
{
    for (Source* source : { &machine, &user }) {
        Table table = load(*source);
        const Value* value = lookUp(table, name);
        if (value && value->type() == IntType)
            return value->toInt();
    }
    return defaultValue;
}

void FileStorage::writeString(const std::string& name, const std::string& value)
{
    if (value.find('\n') != std::string::npos) {
        std::printf("Can't store setting %s: a line break can't be stored\n", name.c_str());
        return;
    }
    store(name, quoted(value), StringValue(value));
}

void FileStorage::writeInt(const std::string& name, int32_t value)
{
    store(name, std::to_string(value), IntValue(value));
}

void FileStorage::flush()
{
}

Table FileStorage::load(Source& source)
{
    std::string path = &source == &machine ? machineFilePath() : userFilePath();
    std::string text;
    std::string problem;
    Table table;
    if (!path.empty() && readText(path, text, problem) == ReadStatus::Read) {
        try {
            table = parseTable(text);
        } catch (const Exception& error) {
            problem = error.message();
        }
    }
    report(source, problem.empty() ? problem : "Can't read settings file " + path + ": " + problem);
    return problem.empty() ? std::move(table) : Table();
}

void FileStorage::report(Source& source, const std::string& problem)
{
    if (!problem.empty() && problem != source.reportedProblem)
        std::printf("%s\n", problem.c_str());
    source.reportedProblem = problem;
}

void FileStorage::store(const std::string& name, const std::string& valueText, const Value& value)
{
    if (!isSettingName(name)) {
        std::printf("Can't store setting '%s': not a valid name\n", name.c_str());
        return;
    }
    std::string path = userFilePath();
    if (path.empty()) {
        std::printf("Can't store setting %s: no home folder is known\n", name.c_str());
        return;
    }
    std::string text;
    std::string problem;
    Table before;
    switch (readText(path, text, problem)) {
    case ReadStatus::Failed:
        // Replacing a file that could not be read would lose whatever it holds.
        std::printf("Can't write settings file %s: %s\n", path.c_str(), problem.c_str());
        return;
    case ReadStatus::Missing:
        break;
    case ReadStatus::Read:
        try {
            before = parseTable(text);
        } catch (const Exception& error) {
            std::string aside = path + ".corrupt";
            if (rename(path.c_str(), aside.c_str()) != 0) {
                std::printf("Can't write settings file %s: %s\n", path.c_str(), errorText().c_str());
                return;
            }
            std::printf("Moved unreadable settings file %s to %s: %s\n", path.c_str(), aside.c_str(),
                error.message().c_str());
            text.clear();
        }
        break;
    }
    if (!replaceFile(path, withSetting(text, before, name, name + " = " + valueText, value), problem))
        std::printf("Can't write settings file %s: %s\n", path.c_str(), problem.c_str());
}
