# `make package`: a Debian package, taskwyn_<version>_<arch>.deb, built by CPack from the install rules.
set(TASKWYN_MAINTAINER "Taskwyn developers <taskwyn@users.noreply.github.com>"
    CACHE STRING "The package's maintainer, as Debian writes it: Name <address>")

# Debian's place for the licence and the history, which every package carries; the history is
# compressed as Debian keeps it.
execute_process(COMMAND date -uR -d ${TASKWYN_RELEASE_DATE} OUTPUT_VARIABLE TASKWYN_RELEASE_TIME
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${PROJECT_SOURCE_DIR}/data/package/changelog.in changelog @ONLY)
add_custom_command(OUTPUT changelog.gz COMMAND gzip -9nc changelog > changelog.gz
                   DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog)
add_custom_target(package_changelog ALL DEPENDS changelog.gz)
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/taskwyn)
install(FILES ${PROJECT_SOURCE_DIR}/data/package/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME taskwyn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TASKWYN_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "task list that shows which tasks are due")
# Lines of up to 80 characters, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION "Taskwyn keeps your tasks in one window: each has a title, who it is for,
a due date and time and a description, in a list you sort by any column.
Colour rules colour the rows by how soon a task is due, tasks due today or
overdue are bold, and an attention page and desktop notifications tell you
which tasks need attention now. Deleted tasks go to a recycle bin first.

Everything is kept in one plain text file, saved at once after every change.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/taskwyn/taskwyn)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# What Qt loads by name, which the libraries' dependencies cannot show: a window needs the platform
# plugins; Wayland, Qt's own translations, the icon theme the pane falls back to and the screen
# readers' bus are wanted where they apply.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n, adwaita-icon-theme, at-spi2-core")
include(CPack)
