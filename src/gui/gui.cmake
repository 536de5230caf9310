# The main window and the about box, and the small widgets and seams they share.
target_sources(pellmark_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MainWindow.h ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainWindow.ui
    ${CMAKE_CURRENT_LIST_DIR}/AboutBox.h ${CMAKE_CURRENT_LIST_DIR}/AboutBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AboutBox.ui
    ${CMAKE_CURRENT_LIST_DIR}/Gauge.h ${CMAKE_CURRENT_LIST_DIR}/Gauge.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DatePicker.h ${CMAKE_CURRENT_LIST_DIR}/DatePicker.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MessageBoxes.h ${CMAKE_CURRENT_LIST_DIR}/MessageBoxes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FolderChooser.h ${CMAKE_CURRENT_LIST_DIR}/FolderChooser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SaveFolder.h ${CMAKE_CURRENT_LIST_DIR}/SaveFolder.cpp)
