target_sources(pellmark_tray PRIVATE
    SystemTray.h SystemTray.cpp
    AppIcon.h AppIcon.cpp
    TrayIcon.h TrayIcon.cpp
    ${PROJECT_SOURCE_DIR}/resources/pellmark-icons.qrc)
set_target_properties(pellmark_tray PROPERTIES AUTORCC ON)
