#pragma once
// Failures injected into system calls. A test program that includes this header (in one
// file) defines these calls itself; the code linked into it calls them instead of the C
// library's, which they call while no failure is asked for. Each knob holds the errno to
// fail with (0: no failure).

#include <atomic>
#include <functional>
#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <utility>

namespace faults {

inline std::atomic<int> dataSync{0};   // fdatasync
inline std::atomic<int> folderSync{0}; // fsync of a folder
inline std::atomic<int> exchange{0};   // renameat2 (the file system refuses to swap)
inline std::atomic<int> reserve{0};    // fallocate
inline std::atomic<int> lock{0};       // flock
// fstatfs reports this file system type (0: the real one).
inline std::atomic<long> fileSystem{0};
// Runs once, at the next renameat2, before it (another program's write at the last instant).
inline std::function<void()> beforeRename;
// pwrite writes at most this many bytes in all, then fails with ENOSPC (-1: no limit).
inline std::atomic<long long> writeBudget{-1};

template <typename F>
F real(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

inline bool fail(const std::atomic<int>& knob)
{
    if (const int e = knob.load()) {
        errno = e;
        return true;
    }
    return false;
}

// Every knob back to no failure.
inline void clear()
{
    for (auto* knob : {&dataSync, &folderSync, &exchange, &reserve, &lock}) *knob = 0;
    writeBudget = -1;
    fileSystem = 0;
    beforeRename = {};
}

} // namespace faults

extern "C" {

int fdatasync(int fd)
{
    if (faults::fail(faults::dataSync)) return -1;
    return faults::real<int (*)(int)>("fdatasync")(fd);
}

int fsync(int fd)
{
    struct stat st{};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && faults::fail(faults::folderSync)) return -1;
    if (!S_ISDIR(st.st_mode) && faults::fail(faults::dataSync)) return -1;
    return faults::real<int (*)(int)>("fsync")(fd);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags)
{
    if (auto run = std::exchange(faults::beforeRename, {})) run();
    if (faults::fail(faults::exchange)) return -1;
    return faults::real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2")(fromDir, from, toDir, to, flags);
}

int fallocate(int fd, int mode, off_t offset, off_t length)
{
    if (faults::fail(faults::reserve)) return -1;
    return faults::real<int (*)(int, int, off_t, off_t)>("fallocate")(fd, mode, offset, length);
}

ssize_t pwrite(int fd, const void* bytes, size_t count, off_t offset)
{
    long long budget = faults::writeBudget.load();
    if (budget == 0) {
        errno = ENOSPC;
        return -1;
    }
    if (budget > 0 && (long long)count > budget) count = size_t(budget);
    const ssize_t n = faults::real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite")(fd, bytes, count, offset);
    if (budget > 0 && n > 0) faults::writeBudget = budget - n;
    return n;
}

int fstatfs(int fd, struct statfs* buf)
{
    const int r = faults::real<int (*)(int, struct statfs*)>("fstatfs")(fd, buf);
    if (r == 0 && faults::fileSystem.load()) buf->f_type = faults::fileSystem.load();
    return r;
}

int flock(int fd, int operation)
{
    if (faults::fail(faults::lock)) return -1;
    return faults::real<int (*)(int, int)>("flock")(fd, operation);
}

} // extern "C"
