/* A file system without unnamed temporary files for the process it is preloaded into
 * (LD_PRELOAD): an open with O_TMPFILE fails with EOPNOTSUPP, so a whole-file write falls back
 * to a named temporary file beside its target. With PELLMARK_SIGNAL_ON_WRITE set to a signal
 * number, the process sends itself that signal once, on its first write to a regular file:
 * a stop that comes in the middle of writing a file, every time. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

static int Refused(int flags) {
    if ((flags & O_TMPFILE) != O_TMPFILE)
        return 0;
    errno = EOPNOTSUPP;
    return 1;
}

static mode_t ModeOf(int flags, va_list arguments) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, mode_t) : 0;
}

#define OPEN_AT(name)                                                                          \
    int name(int dir, const char* path, int flags, ...) {                                     \
        va_list arguments;                                                                     \
        va_start(arguments, flags);                                                            \
        const mode_t mode = ModeOf(flags, arguments);                                          \
        va_end(arguments);                                                                     \
        if (Refused(flags))                                                                    \
            return -1;                                                                         \
        int (*real)(int, const char*, int, ...) =                                              \
            (int (*)(int, const char*, int, ...))dlsym(RTLD_NEXT, #name);                      \
        return real(dir, path, flags, mode);                                                   \
    }
#define OPEN(name)                                                                             \
    int name(const char* path, int flags, ...) {                                               \
        va_list arguments;                                                                     \
        va_start(arguments, flags);                                                            \
        const mode_t mode = ModeOf(flags, arguments);                                          \
        va_end(arguments);                                                                     \
        if (Refused(flags))                                                                    \
            return -1;                                                                         \
        int (*real)(const char*, int, ...) = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, #name); \
        return real(path, flags, mode);                                                        \
    }

OPEN(open)
OPEN(open64)
OPEN_AT(openat)
OPEN_AT(openat64)

ssize_t write(int fd, const void* data, size_t count) {
    static ssize_t (*real)(int, const void*, size_t);
    static int signalled;
    if (real == NULL)
        real = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    struct stat st;
    const char* stop = getenv("PELLMARK_SIGNAL_ON_WRITE");
    if (!signalled && stop != NULL && fd > 2 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        signalled = 1;
        raise(atoi(stop));
    }
    return real(fd, data, count);
}
