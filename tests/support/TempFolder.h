#pragma once

#include <filesystem>
#include <string>

// A new empty folder under /tmp, removed with everything in it when the object goes.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "tidewake-test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return root; }
    // Writes the bytes to the file at the relative path, making its folders; returns its
    // full path.
    std::filesystem::path write(const std::string& relative, const std::string& bytes) const;
    // The bytes of the file at the relative (or an absolute) path; empty when it cannot be read.
    std::string read(const std::filesystem::path& relative) const;

private:
    std::filesystem::path root;
};
