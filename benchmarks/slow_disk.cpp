// A slow disk for the measuring harness, preloaded into its process: every sync of a file
// takes MERKO_SLOW_SYNC_MS (200 unless set) and every write MERKO_SLOW_WRITE_MS (none unless
// set) more. A write only reaches the page cache, which a slow disk does not slow down; a sync
// waits for the disk.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>

#include <sys/types.h>

namespace {

void pauseFor(const char *variable, int fallback)
{
    const char *value = std::getenv(variable);
    const int ms = value ? std::atoi(value) : fallback;
    if (ms > 0)
        usleep(useconds_t(ms) * 1000);
}

} // namespace

extern "C" {

int fsync(int fd)
{
    static int (*real)(int);
    if (!real)
        real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    pauseFor("MERKO_SLOW_SYNC_MS", 200);
    return real(fd);
}

int fdatasync(int fd)
{
    static int (*real)(int);
    if (!real)
        real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fdatasync"));
    pauseFor("MERKO_SLOW_SYNC_MS", 200);
    return real(fd);
}

ssize_t pwrite64(int fd, const void *buffer, size_t count, off_t offset)
{
    static ssize_t (*real)(int, const void *, size_t, off_t);
    if (!real)
        real = reinterpret_cast<ssize_t (*)(int, const void *, size_t, off_t)>(
            dlsym(RTLD_NEXT, "pwrite64"));
    pauseFor("MERKO_SLOW_WRITE_MS", 0);
    return real(fd, buffer, count, offset);
}

} // extern "C"
