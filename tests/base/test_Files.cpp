#include "base/FileLock.h"
#include "base/Files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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

namespace {

struct Destination {
    const char* name;
    // Makes the destination in `folder` and returns the path to save to.
    std::string (*make)(const std::string& folder);
    int error;              // what the save returns
    const char* file;       // the name in `folder` that must hold "new" afterwards ("" none)
    bool linkStays = false; // "link" is still a symbolic link
};

std::string linkToFile(const std::string& f) {
    std::ofstream(f + "/target") << "old";
    ::symlink("target", (f + "/link").c_str());
    return f + "/link";
}
std::string linkToLink(const std::string& f) {
    std::ofstream(f + "/target") << "old";
    ::symlink("target", (f + "/middle").c_str());
    ::symlink(f.c_str(), (f + "/dir").c_str());
    ::symlink("dir/middle", (f + "/link").c_str());
    return f + "/link";
}
std::string danglingLink(const std::string& f) {
    ::symlink("target", (f + "/link").c_str());
    return f + "/link";
}
std::string folder(const std::string& f) {
    ::mkdir((f + "/sub").c_str(), 0700);
    return f + "/sub";
}
std::string linkLoop(const std::string& f) {
    ::symlink("link", (f + "/link").c_str());
    return f + "/link";
}
std::string staleTemporary(const std::string& f) {
    // Nobody holds its lock: the save that wrote it is gone.
    std::ofstream(f + "/kept.QV.tmp-4194304dead0") << "half";
    std::ofstream(f + "/kept.QV.tmp-" + std::to_string(::getpid()) + "-x") << "not ours to judge";
    return f + "/kept.QV";
}

} // namespace

class SaveDestination : public testing::TestWithParam<Destination> {};

TEST_P(SaveDestination, goes_where_the_user_pointed) {
    char name[] = "/tmp/qv7-dest-XXXXXX";
    const std::string dir = ::mkdtemp(name);
    const Destination& d = GetParam();
    EXPECT_EQ(saveWholeFile(d.make(dir), "new"), d.error);
    if (*d.file) {
        EXPECT_EQ(contents(dir + "/" + d.file), "new");
    }
    if (d.linkStays) {
        EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link"));
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-4194304"), std::string::npos)
            << "stale file left";
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveDestination,
    testing::Values(Destination{"a_link_replaces_its_target", linkToFile, 0, "target", true},
                    Destination{"links_of_links_and_folders", linkToLink, 0, "target", true},
                    Destination{"a_dangling_link_makes_its_target", danglingLink, 0, "target", true},
                    Destination{"a_folder_is_refused", folder, EISDIR, ""},
                    Destination{"a_loop_of_links_is_refused", linkLoop, ELOOP, ""},
                    Destination{"a_dead_save_s_temporary_goes", staleTemporary, 0, "kept.QV"}),
    [](const testing::TestParamInfo<Destination>& info) { return std::string(info.param.name); });

// A FIFO and a character device take the bytes as they come and stay what they are.
TEST(Files, a_fifo_and_a_device_are_written_through) {
    char name[] = "/tmp/qv7-dev-XXXXXX";
    const std::string dir = ::mkdtemp(name);
    const std::string fifo = dir + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(saveWholeFile(fifo, "new"), ENXIO) << "nobody reads: given up at once";
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(saveWholeFile(fifo, "new"), 0);
    char got[8] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 3);
    EXPECT_STREQ(got, "new");
    ::close(reader);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    const std::string null = dir + "/null";
    if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        std::filesystem::remove_all(dir);
        GTEST_SKIP() << "a scratch character device needs root (mknod)";
    }
    EXPECT_EQ(saveWholeFile(null, "new"), 0);
    EXPECT_TRUE(std::filesystem::is_character_file(null));
    std::filesystem::remove_all(dir);
}

// An append that fails leaves the old bytes alone; one that works adds every new byte.
TEST(Files, an_append_is_whole_or_cut_back) {
    char name[] = "/tmp/qv7-app-XXXXXX";
    const std::string dir = ::mkdtemp(name);
    const std::string log = dir + "/log.csv";
    std::ofstream(log) << "a\n";
    const int fd = ::open(log.c_str(), O_RDWR | O_APPEND);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(appendWhole(fd, "b\n"), 0);
    rlimit old{}, small{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    small = old;
    small.rlim_cur = 6; // room for "a\nb\n" and two bytes more
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_EQ(appendWhole(fd, "cccc\n"), EFBIG);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::close(fd);
    EXPECT_EQ(contents(log), "a\nb\n");
    std::filesystem::remove_all(dir);
}
