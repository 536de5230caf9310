/* A system call that fails on cue in the program it is preloaded into (LD_PRELOAD):
 * PELLMARK_FAULT=rename:2:5 makes its second rename fail with errno 5 (EIO). A write into a
 * regular file given "half" writes half of what it was asked, given "nothing" writes nothing;
 * any call given "crash" ends the program right there with status 70, as a crash would.
 * The calls: write and close (counted on regular files opened for writing only), fdatasync,
 * syncfs, fsync, rename, linkat. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kHalf = -1, kNothing = -2, kCrash = -3 };
static char armed[16];
static int left, fault;

__attribute__((constructor)) static void ReadPlan(void) {
    const char* plan = getenv("PELLMARK_FAULT");
    char what[16] = "";
    if (plan == NULL || sscanf(plan, "%15[a-z]:%d:%15s", armed, &left, what) != 3)
        armed[0] = '\0';
    fault = !strcmp(what, "half")      ? kHalf
            : !strcmp(what, "nothing") ? kNothing
            : !strcmp(what, "crash")   ? kCrash
                                       : atoi(what);
}

/* Whether this call is the one to fail; a crash never comes back. */
static int Strikes(const char* call) {
    if (strcmp(armed, call) != 0 || --left > 0)
        return 0;
    armed[0] = '\0';
    if (fault == kCrash)
        _exit(70);
    return 1;
}

#define REAL(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

static int Written(int fd) {
    struct stat st;
    return fd > 2 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
           (fcntl(fd, F_GETFL) & O_ACCMODE) != O_RDONLY;
}

ssize_t write(int fd, const void* data, size_t count) {
    if (Written(fd) && Strikes("write")) {
        if (fault > 0)
            return errno = fault, -1;
        count = fault == kHalf ? count / 2 : 0;
    }
    return REAL(write)(fd, data, count);
}

#define FAILING(name, params, args)                                                                \
    int name params {                                                                              \
        return Strikes(#name) ? (errno = fault, -1) : REAL(name) args;                             \
    }
FAILING(fdatasync, (int fd), (fd))
FAILING(syncfs, (int fd), (fd))
FAILING(fsync, (int fd), (fd))

int close(int fd) {
    return Written(fd) && Strikes("close") ? (errno = fault, -1) : REAL(close)(fd);
}
FAILING(rename, (const char* from, const char* to), (from, to))
FAILING(linkat, (int at, const char* from, int to_at, const char* to, int flags),
        (at, from, to_at, to, flags))
