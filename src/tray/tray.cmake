target_sources(pellmark_tray PRIVATE TrayIcon.h TrayIcon.cpp)
