# pellmark_use_local_service(test_target)
# Lets a test made with pellmark_add_qtest() run the local quote service through LocalService:
# adds the helper's source, builds the service first, and tells the test where it is through
# PELLMARK_QUOTE_SERVICE (and a compiled-in fallback for running the test binary by hand).
# The programs under test fetch through the service, so they are told where the build put the
# page-body helper the same way, through PELLMARK_PAGE_BODY.
# Call it after pellmark_add_qtest(), in the same CMakeLists.txt.
function(pellmark_use_local_service test_target)
    target_sources(${test_target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/LocalService.cpp)
    target_link_libraries(${test_target} PRIVATE Qt6::Core)
    target_compile_definitions(${test_target} PRIVATE
        PELLMARK_QUOTE_SERVICE_PATH="$<TARGET_FILE:pellmark-quote-service>"
        PELLMARK_PAGE_BODY_PATH="$<TARGET_FILE:pellmark-page-body>")
    add_dependencies(${test_target} pellmark-quote-service pellmark-page-body)
    set_property(TEST ${test_target} APPEND PROPERTY ENVIRONMENT
        "PELLMARK_QUOTE_SERVICE=$<TARGET_FILE:pellmark-quote-service>"
        "PELLMARK_PAGE_BODY=$<TARGET_FILE:pellmark-page-body>")
endfunction()
