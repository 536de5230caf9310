# pellmark_window_driver: the main window driven offscreen, on the fake fetcher or against a
# quote service; shared by the window's run tests, the hardening cases and the run driver.
if(NOT TARGET pellmark_window_driver)
    add_library(pellmark_window_driver STATIC
        ${CMAKE_CURRENT_LIST_DIR}/WindowDriver.h ${CMAKE_CURRENT_LIST_DIR}/WindowDriver.cpp
        ${CMAKE_CURRENT_LIST_DIR}/FakeDayFetcher.h
        ${CMAKE_CURRENT_LIST_DIR}/ServiceDay.h ${CMAKE_CURRENT_LIST_DIR}/ServiceDay.cpp)
    set_target_properties(pellmark_window_driver PROPERTIES AUTOMOC ON)
    target_link_libraries(pellmark_window_driver PUBLIC pellmark_gui pellmark_quote_page Qt6::Test)
    target_include_directories(pellmark_window_driver PUBLIC
        ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_LIST_DIR})
endif()
