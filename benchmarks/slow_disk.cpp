// A slow disk for the measuring harness, preloaded into its process: every sync of a file
// takes MERKO_SLOW_SYNC_MS (200 unless set) more. A write only reaches the page cache, which
// a slow disk does not slow down; a sync waits for the disk.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// Waits as the slow disk would, then syncs through the C library's function of that name.
int slowSync(const char *name, int fd)
{
    using Sync = int (*)(int);
    const auto real = reinterpret_cast<Sync>(dlsym(RTLD_NEXT, name));
    const char *value = std::getenv("MERKO_SLOW_SYNC_MS");
    const int ms = value ? std::atoi(value) : 200;
    if (ms > 0)
        usleep(useconds_t(ms) * 1000);
    return real(fd);
}

} // namespace

extern "C" {

int fsync(int fd)
{
    return slowSync("fsync", fd);
}

int fdatasync(int fd)
{
    return slowSync("fdatasync", fd);
}

} // extern "C"
