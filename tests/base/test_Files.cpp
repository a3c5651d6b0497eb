#include "base/FileLock.h"
#include "base/Files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qv7;

namespace {

struct Folder {
    Folder() {
        char name[] = "/tmp/qv7-files-XXXXXX";
        path = ::mkdtemp(name);
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

void put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

std::size_t entries(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

} // namespace

struct BoundedCase {
    const char* name;
    std::string (*make)(const Folder&); // the path to read
    std::size_t limit;
    FileRead::Refusal refusal;
    int error;
    std::string bytes;
};

class BoundedRead : public testing::TestWithParam<BoundedCase> {};

TEST_P(BoundedRead, looks_at_the_file_before_reading_it) {
    const BoundedCase& c = GetParam();
    Folder folder;
    const FileRead read = readBoundedFile(c.make(folder), 16, c.limit);
    EXPECT_EQ(read.refusal, c.refusal);
    EXPECT_EQ(read.error, c.error);
    EXPECT_EQ(read.bytes, c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BoundedRead,
    testing::Values(BoundedCase{"a_small_file_is_read_whole",
                                [](const Folder& f) { return put(f / "a", "0123456789"), f / "a"; }, 16,
                                FileRead::Refusal::None, 0, "0123456789"},
                    BoundedCase{"the_limit_ends_the_read",
                                [](const Folder& f) { return put(f / "a", "0123456789"), f / "a"; }, 4,
                                FileRead::Refusal::None, 0, "0123"},
                    BoundedCase{"a_file_at_the_cap_is_read",
                                [](const Folder& f) { return put(f / "a", std::string(16, 'x')), f / "a"; },
                                100, FileRead::Refusal::None, 0, std::string(16, 'x')},
                    BoundedCase{"a_file_over_the_cap_is_refused",
                                [](const Folder& f) { return put(f / "a", std::string(17, 'x')), f / "a"; },
                                4, FileRead::Refusal::TooLarge, 0, ""},
                    BoundedCase{"a_fifo_is_refused_without_waiting_for_a_writer",
                                [](const Folder& f) { return ::mkfifo((f / "p").c_str(), 0600), f / "p"; },
                                16, FileRead::Refusal::NotRegular, 0, ""},
                    BoundedCase{"a_directory_is_refused", [](const Folder& f) { return f.path; }, 16,
                                FileRead::Refusal::NotRegular, 0, ""},
                    BoundedCase{"a_device_is_refused", [](const Folder&) { return std::string("/dev/zero"); },
                                16, FileRead::Refusal::NotRegular, 0, ""},
                    BoundedCase{"a_missing_file_gives_the_system_error",
                                [](const Folder& f) { return f / "none"; }, 16, FileRead::Refusal::None,
                                ENOENT, ""}),
    [](const testing::TestParamInfo<BoundedCase>& info) { return std::string(info.param.name); });

// A save whose last write fails (here: past the file-size limit of the process, as on a full disk)
// says so and leaves the old file as it was, with no temporary file beside it.
TEST(Files, failed_saves_keep_the_previous_file) {
    Folder folder;
    const std::string path = folder / "kept.QV";
    put(path, "previous");
    const std::string bytes(300, 'n');
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN); // the write then fails with EFBIG instead of ending the process
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(saveWholeFile(path, bytes));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EFBIG);
    EXPECT_EQ(contents(path), "previous");
    EXPECT_EQ(entries(folder.path), 1u);

    EXPECT_EQ(saveWholeFile(path, bytes, [] { return EIO; }), EIO);
    EXPECT_EQ(contents(path), "previous");
    EXPECT_EQ(entries(folder.path), 1u);
    EXPECT_EQ(saveWholeFile(folder / "no/such/folder/x.QV", bytes), ENOENT);

    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    EXPECT_EQ(saveWholeFile(path, bytes), 0);
    EXPECT_EQ(contents(path), bytes);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";
}

TEST(FileLock, one_holder_at_a_time_named_by_its_process) {
    Folder folder;
    const std::string path = folder / "state.json";
    FileLock first, second;
    ASSERT_EQ(first.lock(path, true), FileLock::Outcome::Locked);
    EXPECT_EQ(second.lock(path), FileLock::Outcome::Held);
    EXPECT_EQ(second.holder(), static_cast<long>(::getpid()));
    first.unlock();
    EXPECT_EQ(second.lock(path), FileLock::Outcome::Locked);
    EXPECT_EQ(first.lock(folder / "missing"), FileLock::Outcome::Failed);
    EXPECT_EQ(first.error(), ENOENT);
}

struct HolderCase {
    const char* name;
    const char* locks;
    long holder;
};

class FlockHolder : public testing::TestWithParam<HolderCase> {};

// The file asked about: device 00:1a (0, 26), inode 4711.
TEST_P(FlockHolder, is_read_from_the_kernel_list) {
    EXPECT_EQ(flockHolder(GetParam().locks, 0, 26, 4711), GetParam().holder);
}

INSTANTIATE_TEST_SUITE_P(
    FileLock, FlockHolder,
    testing::Values(
        HolderCase{"the_matching_flock", "1: FLOCK  ADVISORY  WRITE 2345 00:1a:4711 0 EOF\n", 2345},
        HolderCase{"among_others",
                   "1: POSIX  ADVISORY  WRITE 11 00:1a:4711 0 EOF\n"
                   "2: FLOCK  ADVISORY  WRITE 12 00:1a:4712 0 EOF\n"
                   "3: FLOCK  ADVISORY  WRITE 13 00:1b:4711 0 EOF\n"
                   "4: FLOCK  ADVISORY  WRITE 14 00:1a:4711 0 EOF\n",
                   14},
        HolderCase{"a_waiter_is_no_holder", "1: -> FLOCK  ADVISORY  WRITE 99 00:1a:4711 0 EOF\n", 0},
        HolderCase{"none_listed", "", 0},
        HolderCase{"a_garbled_line", "1: FLOCK ADVISORY WRITE x 00:1a\n", 0}),
    [](const testing::TestParamInfo<HolderCase>& info) { return std::string(info.param.name); });
