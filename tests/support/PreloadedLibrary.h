// For a program started with a library preloaded before it (a shim, faketime): in a sanitizer
// build the sanitizer runtime then no longer comes first, and is told that this is fine.
#pragma once

#include <QProcessEnvironment>

inline void AllowPreloadBeforeSanitizer(QProcessEnvironment& environment) {
    const QString asan = environment.value("ASAN_OPTIONS");
    environment.insert("ASAN_OPTIONS", (asan.isEmpty() ? "" : asan + ":") +
                                           QStringLiteral("verify_asan_link_order=0"));
}
