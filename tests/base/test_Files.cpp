#include "base/FileLock.h"
#include "base/Files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
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

namespace {

constexpr uid_t Nobody = 65534;

int sysctlValue(const char* path) {
    int value = 0;
    std::ifstream(path) >> value;
    return value;
}

// Runs `body` in a child process, as nobody when asked; its return value, or -1 when it died.
int inChild(bool asNobody, const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
            std::_Exit(200);
        std::_Exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A file "old" in `f` (sticky and open to all), nobody's, with `mode`.
std::string nobodys(const std::string& f, const char* name, mode_t mode) {
    std::ofstream(f + "/" + name) << "old";
    ::chown((f + "/" + name).c_str(), Nobody, Nobody);
    ::chmod((f + "/" + name).c_str(), mode);
    return f + "/" + name;
}
std::string readOnly(const std::string& f) {
    return nobodys(f, "golden.QV", 0444);
}
std::string plantedFile(const std::string& f) {
    return nobodys(f, "line.QV", 0644);
}
std::string usersFile(const std::string& f) {
    return nobodys(f, "user.QV", 0640);
}
// A link nobody planted in the shared folder, to root's own file.
std::string plantedLink(const std::string& f) {
    std::ofstream(f + "/precious.conf") << "old";
    ::symlink((f + "/precious.conf").c_str(), (f + "/line.QV").c_str());
    ::lchown((f + "/line.QV").c_str(), Nobody, Nobody);
    return f + "/line.QV";
}

struct AsTheShell {
    const char* name;
    const char* sysctl; // the kernel's protection the case needs on; "" none
    std::string (*make)(const std::string& folder);
    bool asNobody;     // the save runs as nobody
    mode_t folderMode; // 01777: a shared sticky folder such as /tmp
    int error;
    const char *file, *holds; // a file of the folder and what it must hold afterwards
};

} // namespace

class SaveAsTheShell : public testing::TestWithParam<AsTheShell> {};

// A save does what the shell's "> file" would do, no more: refused where it is refused, the file
// unchanged; a replaced file keeps its owner, group and mode.
TEST_P(SaveAsTheShell, decides_as_the_kernel_does) {
    const AsTheShell& c = GetParam();
    if (::geteuid() != 0) GTEST_SKIP() << "another user's files need root to set up";
    if (*c.sysctl && sysctlValue(c.sysctl) < 1)
        GTEST_SKIP() << c.sysctl << " is 0 here: the kernel allows it";
    char name[] = "/tmp/qv7-shell-XXXXXX";
    const std::string dir = ::mkdtemp(name);
    ASSERT_EQ(::chmod(dir.c_str(), c.folderMode), 0);
    const std::string path = c.make(dir);
    EXPECT_EQ(inChild(c.asNobody, [&] { return saveWholeFile(path, "new"); }), c.error);
    EXPECT_EQ(contents(dir + "/" + c.file), c.holds);
    struct stat info {};
    if (c.error == 0 && ::stat((dir + "/" + c.file).c_str(), &info) == 0) {
        EXPECT_EQ(info.st_uid, Nobody);
        EXPECT_EQ(info.st_gid, Nobody);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
    }
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveAsTheShell,
    testing::Values(AsTheShell{"a_read_only_file", "", readOnly, true, 01777, EACCES, "golden.QV", "old"},
                    AsTheShell{"a_link_planted_in_a_shared_folder", "/proc/sys/fs/protected_symlinks",
                               plantedLink, false, 01777, EACCES, "precious.conf", "old"},
                    AsTheShell{"a_file_planted_in_a_shared_folder", "/proc/sys/fs/protected_regular",
                               plantedFile, false, 01777, EACCES, "line.QV", "old"},
                    AsTheShell{"root_saving_a_user_s_file", "", usersFile, false, 0755, 0, "user.QV", "new"}),
    [](const testing::TestParamInfo<AsTheShell>& info) { return std::string(info.param.name); });

// A name as long as the folder allows saves; a leftover temporary goes only when its lock is free
// and it is the caller's: one still being written, or another user's, stays.
TEST(Files, a_long_name_saves_and_only_dead_temporaries_go) {
    char name[] = "/tmp/qv7-long-XXXXXX";
    const std::string dir = ::mkdtemp(name);
    const std::string base(254, 'n');
    const auto temporary = [&](const char* random) { return dir + "/" + temporaryName(base, random, 255); };
    for (const char* random : {"00000000dead", "0000000alive", "00000planted"})
        std::ofstream(temporary(random)) << "half";
    const int live = ::open(temporary("0000000alive").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);
    const bool root = ::geteuid() == 0;
    if (root) ::chown(temporary("00000planted").c_str(), Nobody, Nobody);
    EXPECT_EQ(saveWholeFile(dir + "/" + base, "new"), 0);
    EXPECT_EQ(contents(dir + "/" + base), "new");
    EXPECT_FALSE(std::filesystem::exists(temporary("00000000dead")));
    EXPECT_TRUE(std::filesystem::exists(temporary("0000000alive")));
    EXPECT_EQ(std::filesystem::exists(temporary("00000planted")), root);
    ::close(live);
    std::filesystem::remove_all(dir);
}

// The final rename's failure is the save's, and the old file stays.
TEST(Files, a_failed_final_rename_is_reported) {
    char name[] = "/tmp/qv7-rename-XXXXXX";
    const std::string dir = ::mkdtemp(name);
    std::ofstream(dir + "/kept.QV") << "old";
    const auto removeTemporary = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.path().filename() != "kept.QV") std::filesystem::remove(entry);
        return 0;
    };
    EXPECT_EQ(saveWholeFile(dir + "/kept.QV", "new", removeTemporary), ENOENT);
    EXPECT_EQ(contents(dir + "/kept.QV"), "old");
    std::filesystem::remove_all(dir);
}

// A lock wait ends on time with every signal blocked (a parent may block any); a wait that never
// ends meets the alarm, the one signal left open.
TEST(FileLock, a_lock_wait_ends_whatever_signals_are_blocked) {
    char name[] = "/tmp/qv7-lockwait-XXXXXX";
    const std::string path = std::string(::mkdtemp(name)) + "/log.csv";
    std::ofstream(path) << "";
    const int holder = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    EXPECT_EQ(inChild(false,
                      [&] {
                          sigset_t all;
                          sigfillset(&all);
                          sigdelset(&all, SIGALRM);
                          ::sigprocmask(SIG_BLOCK, &all, nullptr);
                          ::alarm(10);
                          return lockExclusive(::open(path.c_str(), O_RDONLY),
                                               std::chrono::milliseconds(100));
                      }),
              ETIMEDOUT);
    ::close(holder);
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
