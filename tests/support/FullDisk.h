// The full-disk shim of EnospcShim.cmake for a test: preloaded into a program the test runs,
// or into the test's own process, with the number of bytes that still fit on the disk.
#pragma once

#include "PreloadedLibrary.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>

// PELLMARK_ENOSPC_SHIM, else the path compiled in by pellmark_use_enospc_shim().
inline QString FullDiskShimPath() {
    const QString given = qEnvironmentVariable("PELLMARK_ENOSPC_SHIM");
    return given.isEmpty() ? QStringLiteral(PELLMARK_ENOSPC_SHIM_PATH) : given;
}

// A program started with this environment finds the disk full once it has written room more
// bytes to files.
inline void PreloadFullDisk(QProcessEnvironment& environment, qint64 room) {
    environment.insert("LD_PRELOAD", FullDiskShimPath());
    environment.insert("PELLMARK_ENOSPC_BYTES", QString::number(room));
    AllowPreloadBeforeSanitizer(environment);
}

// For a test that writes through the code it tests: from main(), runs the test binary again
// with the shim preloaded, unless it already is.
inline void RestartWithFullDiskShim(char** argv) {
    if (dlsym(RTLD_DEFAULT, "pellmark_enospc_budget") != nullptr)
        return;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    PreloadFullDisk(environment, -1);
    for (const char* name : {"LD_PRELOAD", "PELLMARK_ENOSPC_BYTES", "ASAN_OPTIONS"})
        ::setenv(name, environment.value(name).toLocal8Bit().constData(), 1);
    ::execv("/proc/self/exe", argv);
}

// In a process restarted as above: the disk is full once room more bytes have been written
// to files; -1 makes room again. False when the shim is not loaded.
inline bool SetDiskRoom(qint64 room) {
    using Budget = void (*)(long long);
    const auto budget = reinterpret_cast<Budget>(dlsym(RTLD_DEFAULT, "pellmark_enospc_budget"));
    if (budget != nullptr)
        budget(room);
    return budget != nullptr;
}
