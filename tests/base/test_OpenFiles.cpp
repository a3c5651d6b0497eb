// Files held open by descriptor, on every platform: a log opened for appending is made when
// missing, measured, and its last byte read wherever the descriptor stands.
#include "base/OpenFiles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

using namespace qv7;

namespace {

std::string utf8(const std::filesystem::path& path) {
    const auto text = path.u8string();
    return {text.begin(), text.end()};
}

} // namespace

TEST(OpenFiles, a_log_is_made_measured_and_read_at_its_end) {
    test::TempDir dir;
    const auto log = dir.path() / std::filesystem::path(u8"journal été.csv");
    const OpenedFile made = openForAppend(utf8(log));
    ASSERT_GE(made.fd, 0) << made.error;
    EXPECT_TRUE(std::filesystem::exists(log)) << "made when missing";
    FileState state = fileState(made.fd);
    EXPECT_TRUE(state.regular);
    EXPECT_EQ(state.size, 0);
    EXPECT_EQ(byteAt(made.fd, 0), -1) << "an empty file has no last byte";
    closeFile(made.fd);
    std::ofstream(log, std::ios::binary | std::ios::app) << "a,b\r\nc";
    const OpenedFile again = openForAppend(utf8(log));
    ASSERT_GE(again.fd, 0);
    state = fileState(again.fd);
    EXPECT_EQ(state.size, 6);
    EXPECT_EQ(byteAt(again.fd, state.size - 1), 'c');
    EXPECT_EQ(byteAt(again.fd, 4), '\n');
    closeFile(again.fd);
}

TEST(OpenFiles, what_is_missing_or_no_file_says_so) {
    test::TempDir dir;
    const OpenedFile missing = openForReading(utf8(dir.file("none.csv")));
    EXPECT_EQ(missing.fd, -1);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_EQ(openForAppend(utf8(dir.file("no/such/folder.csv"))).error, ENOENT);
    const OpenedFile folder = openForReading(utf8(dir.path()));
    if (folder.fd >= 0) { // POSIX opens a folder for reading; it is then no regular file
        EXPECT_FALSE(fileState(folder.fd).regular);
        closeFile(folder.fd);
    }
}
