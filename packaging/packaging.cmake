# The Debian package (cpack -G DEB in the build folder): every program built in this tree,
# their manual pages, the menu entry, icons and software-centre listing. Included last, so
# that every program target already exists.
include(${CMAKE_CURRENT_LIST_DIR}/manpages.cmake)

# Bash completion, which bash-completion loads by the command's name: one script for all.
foreach(program pellmark-batch pellmark-export pellmark-check)
    if(TARGET ${program})
        install(FILES ${CMAKE_CURRENT_LIST_DIR}/completions/pellmark
                DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions
                RENAME ${program})
    endif()
endforeach()

# Debian requires a copyright file and, for a package without a Debian revision, a
# changelog.gz in the package's documentation folder.
set(pellmark_changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${pellmark_changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/changelog
            ${CMAKE_BINARY_DIR}/packaging/changelog
    COMMAND ${GZIP_EXECUTABLE} -9nf ${CMAKE_BINARY_DIR}/packaging/changelog
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
    VERBATIM)
add_custom_target(pellmark-changelog ALL DEPENDS ${pellmark_changelog})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${pellmark_changelog}
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/pellmark)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Tarnwick)
set(CPACK_PACKAGE_CONTACT "Tarnwick <pellmark@tarnwick.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "download historical intraday prices for back-testing")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Pellmark downloads historical intraday prices from a quote service, one
text file of time and price pairs per symbol and day, from a window
(pellmark) or a terminal (pellmark-batch). pellmark-export joins the day
files into one CSV series per symbol; pellmark-check tells which days are
missing or incomplete and lists them for a retry. The local stand-in
pellmark-quote-service lets the programs be tried without the network.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.tarnwick.example/pellmark)
# Dependencies come from the binaries' shared libraries (dpkg-shlibdeps), not from a list.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The completion scripts it installs do nothing without the completion framework.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS bash-completion)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

# The systemd user service and timer that run pellmark-batch --update --heal every night. The
# package's service starts the installed program; the build tree gets one that starts the
# program built, for the tests.
set(pellmark_units ${CMAKE_BINARY_DIR}/systemd)
set(PELLMARK_BATCH ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/pellmark-batch)
configure_file(${CMAKE_CURRENT_LIST_DIR}/systemd/pellmark-update.service.in
               ${CMAKE_BINARY_DIR}/packaging/pellmark-update.service @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/pellmark-update.service
              ${CMAKE_CURRENT_LIST_DIR}/systemd/pellmark-update.timer
        DESTINATION lib/systemd/user)
set(PELLMARK_BATCH "$<TARGET_FILE:pellmark-batch>")
configure_file(${CMAKE_CURRENT_LIST_DIR}/systemd/pellmark-update.service.in
               ${CMAKE_BINARY_DIR}/packaging/pellmark-update.service.build @ONLY)
file(GENERATE OUTPUT ${pellmark_units}/pellmark-update.service
     INPUT ${CMAKE_BINARY_DIR}/packaging/pellmark-update.service.build)
configure_file(${CMAKE_CURRENT_LIST_DIR}/systemd/pellmark-update.timer
               ${pellmark_units}/pellmark-update.timer COPYONLY)
# The build keeps debugging symbols; the package does not.
set(CPACK_STRIP_FILES ON)
# Folders the install rules create would otherwise follow the umask of whoever packs.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
