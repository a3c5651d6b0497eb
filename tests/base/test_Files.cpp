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
#include <poll.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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

// Runs `body` in a child process (as nobody when `asNobody`) and returns what it returned, or -1.
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

struct Refusal {
    const char* name;
    bool needsRoot;
    const char* sysctl; // the kernel protection the case relies on; "" none
    // Prepares `folder` (sticky and open to all); returns the path to save to.
    std::string (*make)(const std::string& folder);
    bool asNobody; // the save runs as nobody
    int error;
    const char* untouched; // a file that must keep "old"
};

std::string readOnlyFile(const std::string& f) {
    std::ofstream(f + "/golden.QV") << "old";
    ::chown((f + "/golden.QV").c_str(), Nobody, Nobody);
    ::chmod((f + "/golden.QV").c_str(), 0444);
    return f + "/golden.QV";
}
// A link an ordinary user planted in a shared folder, to root's own file.
std::string plantedLink(const std::string& f) {
    std::ofstream(f + "/precious.conf") << "old";
    ::symlink((f + "/precious.conf").c_str(), (f + "/line.QV").c_str());
    ::lchown((f + "/line.QV").c_str(), Nobody, Nobody);
    return f + "/line.QV";
}
// A file an ordinary user made in a shared folder ahead of root's save.
std::string plantedFile(const std::string& f) {
    std::ofstream(f + "/line.QV") << "old";
    ::chown((f + "/line.QV").c_str(), Nobody, Nobody);
    return f + "/line.QV";
}

} // namespace

class SaveRefused : public testing::TestWithParam<Refusal> {};

// What the shell's "> file" would refuse, a save refuses, and the file stays as it was.
TEST_P(SaveRefused, as_the_shell_would) {
    const Refusal& r = GetParam();
    if (r.needsRoot && ::geteuid() != 0) GTEST_SKIP() << "another user's files need root to set up";
    if (*r.sysctl && sysctlValue(r.sysctl) < 1)
        GTEST_SKIP() << r.sysctl << " is 0 here: the kernel allows it";
    char name[] = "/tmp/qv7-refuse-XXXXXX";
    const std::string dir = ::mkdtemp(name);
    ASSERT_EQ(::chmod(dir.c_str(), 01777), 0);
    const std::string path = r.make(dir);
    EXPECT_EQ(inChild(r.asNobody, [&] { return saveWholeFile(path, "new"); }), r.error);
    EXPECT_EQ(contents(dir + "/" + r.untouched), "old");
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveRefused,
    testing::Values(Refusal{"a_read_only_file", true, "", readOnlyFile, true, EACCES, "golden.QV"},
                    Refusal{"a_link_planted_in_a_shared_folder", true, "/proc/sys/fs/protected_symlinks",
                            plantedLink, false, EACCES, "precious.conf"},
                    Refusal{"a_file_planted_in_a_shared_folder", true, "/proc/sys/fs/protected_regular",
                            plantedFile, false, EACCES, "line.QV"}),
    [](const testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

// A replaced file keeps its owner and group, as root saves over a user's file.
TEST(Files, a_replaced_file_keeps_its_owner_and_group) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    char name[] = "/tmp/qv7-owner-XXXXXX";
    const std::string dir = ::mkdtemp(name);
    const std::string path = dir + "/user.QV";
    std::ofstream(path) << "old";
    ASSERT_EQ(::chown(path.c_str(), Nobody, Nobody), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    EXPECT_EQ(saveWholeFile(path, "new"), 0);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, Nobody);
    EXPECT_EQ(info.st_gid, Nobody);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(contents(path), "new");
    std::filesystem::remove_all(dir);
}

struct Held {
    const char* label;
    const char* name; // the name given, "%d" standing for the descriptor
    bool append;
    const char* expected;
};

class HeldStream : public testing::TestWithParam<Held> {};

// A name of a descriptor already open writes through it, appending or not as it was opened, and
// even once its file was deleted: nothing is made under another name.
TEST_P(HeldStream, is_written_through_its_descriptor) {
    const Held& h = GetParam();
    char name[] = "/tmp/qv7-held-XXXXXX";
    const std::string dir = ::mkdtemp(name);
    const std::string path = dir + "/run.log";
    std::ofstream(path) << "a\nb\n";
    const int fd = ::open(path.c_str(), O_RDWR | (h.append ? O_APPEND : 0));
    ASSERT_GE(fd, 0);
    ::unlink(path.c_str());
    char given[64];
    std::snprintf(given, sizeof given, h.name, fd);
    EXPECT_EQ(heldStream(given), fd);
    EXPECT_EQ(saveWholeFile(given, "new"), 0);
    char got[16] = {};
    EXPECT_GT(::pread(fd, got, sizeof got - 1, 0), 0);
    ::close(fd);
    EXPECT_STREQ(got, h.expected);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 0) << "nothing made beside it";
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HeldStream,
    testing::Values(Held{"dev_fd_appending", "/dev/fd/%d", true, "a\nb\nnew"},
                    Held{"proc_self_fd_from_the_start", "/proc/self/fd/%d", false, "new\n"}),
    [](const testing::TestParamInfo<Held>& info) { return std::string(info.param.label); });

struct TempName {
    std::string base;
    std::size_t nameMax;
    std::string expected; // with the random part "abcdefghijkl"
};

class TemporaryName : public testing::TestWithParam<TempName> {};

TEST_P(TemporaryName, fits_beside_any_name) {
    const TempName& t = GetParam();
    const std::string made = temporaryName(t.base, "abcdefghijkl", t.nameMax);
    EXPECT_EQ(made, t.expected);
    EXPECT_TRUE(isTemporaryName(t.base, made, t.nameMax));
    EXPECT_FALSE(isTemporaryName("z" + t.base, made, t.nameMax));
    EXPECT_FALSE(isTemporaryName(t.base, t.expected.substr(0, t.expected.size() - 1) + "L", t.nameMax));
}

INSTANTIATE_TEST_SUITE_P(
    Files, TemporaryName,
    testing::Values(TempName{"kept.QV", 255, "kept.QV.tmp-abcdefghijkl"},
                    // 254 bytes of name: 238 of them are kept, 17 go to ".tmp-" and the random part.
                    TempName{std::string(254, 'x'), 255, std::string(238, 'x') + ".tmp-abcdefghijkl"},
                    // "é" is two bytes: the cut keeps none of a character it would split.
                    TempName{"ab\xc3\xa9", 20, "ab.tmp-abcdefghijkl"}));

// A name as long as the folder allows saves, and the temporaries of the folder are judged dead
// only by their free lock and their owner: another user's, or one still being written, stay.
TEST(Files, a_long_name_saves_and_only_dead_temporaries_go) {
    char name[] = "/tmp/qv7-long-XXXXXX";
    const std::string dir = ::mkdtemp(name);
    const std::string base(254, 'n');
    const std::string stale = dir + "/" + temporaryName(base, "00000000dead", 255);
    const std::string live = dir + "/" + temporaryName(base, "0000000alive", 255);
    const std::string planted = dir + "/" + temporaryName(base, "00000planted", 255);
    for (const std::string& p : {stale, live, planted})
        std::ofstream(p) << "half";
    const int liveLock = ::open(live.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(liveLock, LOCK_EX), 0);
    const bool root = ::geteuid() == 0;
    if (root) ::chown(planted.c_str(), Nobody, Nobody);
    EXPECT_EQ(saveWholeFile(dir + "/" + base, "new"), 0);
    EXPECT_EQ(contents(dir + "/" + base), "new");
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(live));
    if (root) {
        EXPECT_TRUE(std::filesystem::exists(planted));
    }
    ::close(liveLock);
    std::filesystem::remove_all(dir);
}

// A rename that fails at the very end is the save's failure, and the old file stays.
TEST(Files, a_failed_final_rename_is_reported) {
    char name[] = "/tmp/qv7-rename-XXXXXX";
    const std::string dir = ::mkdtemp(name);
    const std::string path = dir + "/kept.QV";
    std::ofstream(path) << "old";
    const auto removeTemporary = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (isTemporaryName("kept.QV", entry.path().filename().string(), 255))
                std::filesystem::remove(entry);
        return 0;
    };
    EXPECT_EQ(saveWholeFile(path, "new", removeTemporary), ENOENT);
    EXPECT_EQ(contents(path), "old");
    std::filesystem::remove_all(dir);
}

// The wait for a log lock ends on time with every signal blocked (a parent may block any).
TEST(FileLock, a_lock_wait_ends_whatever_signals_are_blocked) {
    char name[] = "/tmp/qv7-lockwait-XXXXXX";
    const std::string dir = ::mkdtemp(name);
    const std::string path = dir + "/log.csv";
    std::ofstream(path) << "";
    const int holder = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        sigset_t all;
        sigfillset(&all);
        ::sigprocmask(SIG_BLOCK, &all, nullptr);
        const int fd = ::open(path.c_str(), O_RDONLY);
        std::_Exit(lockExclusive(fd, std::chrono::milliseconds(100)) == ETIMEDOUT ? 0 : 1);
    }
    // The child must be done well within 10 s; a wait that never ends is killed and fails.
    const int done = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    pollfd ready{done, POLLIN, 0};
    const int finished = ::poll(&ready, 1, 10000);
    if (finished == 0) ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ::close(done);
    ::close(holder);
    std::filesystem::remove_all(dir);
}
