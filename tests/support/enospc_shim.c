/* A full disk for the process it is preloaded into (LD_PRELOAD): once PELLMARK_ENOSPC_BYTES
 * bytes have been written to regular files (write, pwrite), further writes to them fail with
 * ENOSPC, a write that crosses the limit is cut short, and fsync/fdatasync of a regular file fail too, as on a
 * disk that runs out when the data is synced; syncfs fails when the limit was reached with no
 * write refused, as on a disk that runs out when the whole file system is synced. Standard
 * input, output and error, pipes and sockets are left alone, so the program can still report.
 * Without the variable nothing fails until pellmark_enospc_budget() sets a limit (a test that
 * preloads it into itself). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

static _Atomic long long budget = -1; /* -1: no limit */
static _Atomic long long written = 0;
static _Atomic int refused = 0; /* a write was cut short or failed */

__attribute__((constructor)) static void ReadBudget(void) {
    const char* text = getenv("PELLMARK_ENOSPC_BYTES");
    if (text != NULL && *text != '\0')
        budget = atoll(text);
}

/* A new limit, counted from now; -1 lifts it. */
void pellmark_enospc_budget(long long bytes) {
    written = 0;
    refused = 0;
    budget = bytes;
}

static int Counted(int fd) {
    struct stat st;
    return budget >= 0 && fd > 2 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

/* How much of count bytes a regular file takes: all, the room left, or -1 (ENOSPC). */
static long long Allowed(size_t count) {
    const long long room = budget - written;
    if (room <= 0) {
        refused = 1;
        errno = ENOSPC;
        return -1;
    }
    refused = refused || (long long)count > room;
    return (long long)count > room ? room : (long long)count;
}

static ssize_t Counting(ssize_t done) {
    if (done > 0)
        written += done;
    return done;
}

ssize_t write(int fd, const void* data, size_t count) {
    static ssize_t (*real)(int, const void*, size_t);
    if (real == NULL)
        real = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    if (count == 0 || !Counted(fd))
        return real(fd, data, count);
    const long long allowed = Allowed(count);
    return allowed < 0 ? -1 : Counting(real(fd, data, (size_t)allowed));
}

/* SQLite writes its database and journal at offsets. */
ssize_t pwrite64(int fd, const void* data, size_t count, off_t offset) {
    static ssize_t (*real)(int, const void*, size_t, off_t);
    if (real == NULL)
        real = (ssize_t(*)(int, const void*, size_t, off_t))dlsym(RTLD_NEXT, "pwrite64");
    if (count == 0 || !Counted(fd))
        return real(fd, data, count, offset);
    const long long allowed = Allowed(count);
    return allowed < 0 ? -1 : Counting(real(fd, data, (size_t)allowed, offset));
}

ssize_t pwrite(int fd, const void* data, size_t count, off_t offset) {
    return pwrite64(fd, data, count, offset);
}

static int Sync(const char* name, int fd) {
    if (Counted(fd) && written >= budget) {
        errno = ENOSPC;
        return -1;
    }
    int (*real)(int) = (int (*)(int))dlsym(RTLD_NEXT, name);
    return real(fd);
}

int fsync(int fd) {
    return Sync("fsync", fd);
}

int fdatasync(int fd) {
    return Sync("fdatasync", fd);
}

int syncfs(int fd) {
    if (budget >= 0 && written >= budget && !refused) {
        errno = ENOSPC;
        return -1;
    }
    int (*real)(int) = (int (*)(int))dlsym(RTLD_NEXT, "syncfs");
    return real(fd);
}
