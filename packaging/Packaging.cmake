# Installation under /usr and the Debian package: the window, velmora-cli and the
# simulated unit in bin, the desktop entry with its icons and AppStream metadata,
# the manual pages, the licence and the changelog.
# scripts/package-check builds the package, checks it and installs it on a fresh root.
include(GNUInstallDirs)

set(VELMORA_MAINTAINER "Velmora maintainers <maintainers@velmora.invalid>"
    CACHE STRING "The maintainer named in the Debian package")
set(VELMORA_HOMEPAGE "https://velmora.invalid/"
    CACHE STRING "The project's home page named in the Debian package")

set(packaging_source ${CMAKE_CURRENT_LIST_DIR})
set(packaging_build ${CMAKE_BINARY_DIR}/packaging)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/velmora)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS velmora velmora-cli velmora-unit-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${packaging_source}/velmora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging_source}/invalid.velmora.Velmora.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging_source}/velmora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${doc_dir})

# The changelog's top entry names the version being packaged.
file(STRINGS ${packaging_source}/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^velmora \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog begins with \"${changelog_top}\": "
                        "add an entry for version ${PROJECT_VERSION} on top")
endif()

# The copyright file in Debian's machine-readable form, from the licence itself.
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" _ "${licence}")
set(VELMORA_COPYRIGHT ${CMAKE_MATCH_1})
string(FIND "${licence}" "Permission is hereby granted" licence_start)
string(SUBSTRING "${licence}" ${licence_start} -1 licence_text)
string(STRIP "${licence_text}" licence_text)
string(REPLACE "\n\n" "\n.\n" licence_text "${licence_text}")
string(REPLACE "\n" "\n " VELMORA_LICENSE_TEXT " ${licence_text}")
configure_file(${packaging_source}/copyright.in ${packaging_build}/copyright @ONLY)
install(FILES ${packaging_build}/copyright DESTINATION ${doc_dir})

# Debian keeps manual pages and changelogs compressed; -n leaves out the time so
# rebuilds match. The manual pages name the version in their header.
set(package_files)
function(velmora_pack source packed)
    add_custom_command(OUTPUT ${packed}
        COMMAND sh -c "gzip -9n -c '${source}' > '${packed}'"
        DEPENDS ${source}
        COMMENT "Compressing ${source}"
        VERBATIM)
    set(package_files ${package_files} ${packed} PARENT_SCOPE)
endfunction()

set(manual_pages)
foreach(page velmora.1 velmora-cli.1 velmora-unit-sim.1)
    configure_file(${packaging_source}/${page} ${packaging_build}/${page} @ONLY)
    velmora_pack(${packaging_build}/${page} ${packaging_build}/${page}.gz)
    list(APPEND manual_pages ${packaging_build}/${page}.gz)
endforeach()
install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

velmora_pack(${packaging_source}/changelog ${packaging_build}/changelog.gz)
install(FILES ${packaging_build}/changelog.gz DESTINATION ${doc_dir})

# The menu shows the icon at these sizes, rendered from the one drawing.
find_program(VELMORA_RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_sizes 16 22 24 32 48 64 128 256)
foreach(size ${icon_sizes})
    set(icon ${packaging_build}/icons/${size}x${size}/velmora.png)
    add_custom_command(OUTPUT ${icon}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_build}/icons/${size}x${size}
        COMMAND ${VELMORA_RSVG_CONVERT} -w ${size} -h ${size} -o ${icon} ${packaging_source}/velmora.svg
        DEPENDS ${packaging_source}/velmora.svg
        COMMENT "Rendering the icon at ${size}x${size}"
        VERBATIM)
    list(APPEND package_files ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(velmora_package_files ALL DEPENDS ${package_files})

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configure the VHF/UHF radio unit of an alarm system over a serial line")
# Debian shows the description as written: lines stay within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION [[
Velmora programs and reads the radio unit of an alarm and signalling system
over a serial line. The window, velmora, holds every parameter of the unit.
velmora-cli shows, compares and changes programming files, and reads,
programs, verifies and batch-programs units from scripts. velmora-unit-sim
simulates a unit on a pseudo-terminal.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELMORA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VELMORA_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The Qt libraries and whatever else the programs link, found by dpkg-shlibdeps,
# and what the programs load at run time without linking it: Qt's own
# translations of its standard dialogs, and the SQLite driver of Qt SQL, a plug-in
# that the history and the production store load (every programming keeps what the
# unit held). A line of several PCs shares a PostgreSQL store: its driver is
# recommended. The platform plug-ins (xcb, offscreen) come with libqt6gui6; the
# serial port needs no plug-in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")

include(CPack)
