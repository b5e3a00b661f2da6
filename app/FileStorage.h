#pragma once

#include "app/Storage.h"

#include <cstdint>
#include <string>

class Table;
class Value;

// Settings kept in two files in the table text format, one `name = value` per line, where
// a quoted string is a string setting and an integer an integer setting:
//
//     login = "ann@example.org"
//     autoLogin = 1
//
// The machine-wide file lets an administrator preset values and is only read; the per-user
// file is read after it and is the only one written. Every read goes to the disk and every
// write replaces the per-user file at once, so there is nothing to flush.
//
// A value of the other kind shadows like a registry value of the wrong type: readString
// gives the empty string for it without looking further, readInt treats it as missing.
// A file that cannot be read or parsed reads as holding nothing, with one line on standard
// output for as long as it stays broken. A write never replaces a file it could not parse:
// the broken file is renamed to "settings.corrupt" first, so what it held can be recovered.
class FileStorage : public Storage {
public:
    // Empty paths follow the environment at each use: the per-user file is
    // $XDG_CONFIG_HOME/Brinmoor/Tidewake/1.0/settings (XDG_CONFIG_HOME defaulting to
    // ~/.config), the machine-wide one the same below the first folder of $XDG_CONFIG_DIRS
    // (default /etc/xdg).
    explicit FileStorage(std::string machinePath = {}, std::string userPath = {});

    std::string readString(const std::string& name, const std::string& defaultValue) override;
    int32_t readInt(const std::string& name, int32_t defaultValue) override;
    void writeString(const std::string& name, const std::string& value) override;
    void writeInt(const std::string& name, int32_t value) override;
    void flush() override;

    // Empty when no home folder is known.
    std::string userFilePath() const;
    std::string machineFilePath() const;

private:
    // One of the two files and the last problem printed about it, so that a file that stays
    // broken is reported once rather than on every read.
    struct Source {
        std::string fixedPath;
        std::string reportedProblem;
    };

    Table load(Source& source);
    void report(Source& source, const std::string& problem);
    void store(const std::string& name, const std::string& valueText, const Value& value);

    Source machine;
    Source user;
};
