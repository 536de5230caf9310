# Desktop integration: the menu entry and the program icon in the hicolor theme.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/pellmark.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/pellmark-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME pellmark.png)
endforeach()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/pellmark-icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME pellmark.svg)
# The software-centre listing (AppStream), its release named by the project's version.
configure_file(${CMAKE_CURRENT_LIST_DIR}/example.tarnwick.pellmark.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/resources/example.tarnwick.pellmark.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/resources/example.tarnwick.pellmark.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
