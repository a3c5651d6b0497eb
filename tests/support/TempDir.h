// TempDir: a fresh directory under the system's temporary directory, removed with its contents when
// the object goes. For tests that write files.
#pragma once

#include <filesystem>
#include <string>

namespace qv7::test {

class TempDir {
public:
    // Throws std::runtime_error when no directory can be made.
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Path of a file named name inside the directory (not created).
    std::filesystem::path file(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

} // namespace qv7::test
