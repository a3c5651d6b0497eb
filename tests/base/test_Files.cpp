#include "base/FileLock.h"
#include "base/Files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>

using namespace qv7;

namespace {

std::string contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

} // namespace

// A full disk is tried end to end (qv7ctl under a file-size limit); here the seam and the mode.
TEST(Files, a_failed_save_keeps_the_previous_file_and_a_replaced_one_its_mode) {
    char name[] = "/tmp/qv7-files-XXXXXX";
    const std::string folder = ::mkdtemp(name);
    const std::string path = folder + "/kept.QV";
    std::ofstream(path) << "previous";
    EXPECT_EQ(saveWholeFile(path, "new", [] { return EIO; }), EIO);
    EXPECT_EQ(contents(path), "previous");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no temporary file left";
    EXPECT_EQ(saveWholeFile(folder + "/no/such/folder/x.QV", "new"), ENOENT);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    EXPECT_EQ(saveWholeFile(path, "new"), 0);
    EXPECT_EQ(contents(path), "new");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    std::filesystem::remove_all(folder);
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
        HolderCase{"a_garbled_line", "1: FLOCK ADVISORY WRITE x 00:1a\n", 0}),
    [](const testing::TestParamInfo<HolderCase>& info) { return std::string(info.param.name); });
