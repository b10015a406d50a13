# Installation under /usr and the Debian package: the window, velmora-cli and the
# simulated unit in bin, the desktop entry with its icon, and the manual pages.
# Build it with: cmake --build BUILD && (cd BUILD && cpack -G DEB)
include(GNUInstallDirs)

foreach(program velmora velmora-cli velmora-unit-sim)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

install(FILES ${CMAKE_CURRENT_LIST_DIR}/velmora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/velmora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora)

# Debian keeps manual pages compressed; -n leaves out the time so rebuilds match.
set(manual_pages)
foreach(page velmora.1 velmora-cli.1 velmora-unit-sim.1)
    set(source ${CMAKE_CURRENT_LIST_DIR}/${page})
    set(packed ${CMAKE_BINARY_DIR}/packaging/${page}.gz)
    add_custom_command(OUTPUT ${packed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
        COMMAND sh -c "gzip -9n -c '${source}' > '${packed}'"
        DEPENDS ${source}
        COMMENT "Compressing the manual page ${page}"
        VERBATIM)
    list(APPEND manual_pages ${packed})
endforeach()
add_custom_target(velmora_manual_pages ALL DEPENDS ${manual_pages})
install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(VELMORA_MAINTAINER "Velmora maintainers <maintainers@velmora.invalid>"
    CACHE STRING "The maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configure the VHF/UHF radio unit of an alarm system over a serial line")
set(CPACK_PACKAGE_DESCRIPTION "Velmora programs and reads the radio unit of an alarm \
and signalling system over a serial line. The window, velmora, holds every parameter of \
the unit. velmora-cli shows, compares and changes programming files, and reads, programs, \
verifies and batch-programs units from scripts. velmora-unit-sim simulates a unit on a \
pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELMORA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt libraries and whatever else the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
