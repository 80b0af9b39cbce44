# The Debian package, built by CPack from the install rules (./kestra package).
set(KESTRA_DEB_NAME kestra-v-control)
set(KESTRA_DEB_RELEASE 1)
set(KESTRA_DEB_VERSION ${PROJECT_VERSION}-${KESTRA_DEB_RELEASE})
set(KESTRA_MAINTAINER "KESTRA-V Control developers <developers@kestra-v.example>")

# Debian keeps a package's copyright and changelog under its own doc folder.
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${KESTRA_DEB_NAME})
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.Debian)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/changelog.in ${changelog} @ONLY)
add_custom_command(OUTPUT ${changelog}.gz
    COMMAND gzip -9 -n -c ${changelog} > ${changelog}.gz
    DEPENDS ${changelog})
add_custom_target(kestra_changelog ALL DEPENDS ${changelog}.gz)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/copyright ${changelog}.gz
    DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KESTRA_DEB_NAME})
set(CPACK_PACKAGE_VENDOR "KESTRA-V Control developers")
set(CPACK_PACKAGE_CONTACT ${KESTRA_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control software for KESTRA-V conference audio processors")
set(CPACK_PACKAGE_DESCRIPTION
    "KESTRA-V Control finds KESTRA-V networked conference audio processors,\n"
    "mirrors every parameter and lets installers and operators of meeting rooms\n"
    "change them: channel strips, routing matrix, automatic microphone mixer,\n"
    "equalizers, dynamics, wireless microphone units, presets, scenes and firmware\n"
    "updates.\n"
    "\n"
    "The package holds the window (kestra), the command-line tool for scripts and\n"
    "offline work (kestra-ctl) and a virtual processor for trials on one machine\n"
    "(kestra-sim).")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_PACKAGE_NAME ${KESTRA_DEB_NAME})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KESTRA_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KESTRA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the fonts the skin and the channel names are drawn
# with are loaded at run time, so no library dependency names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)

include(CPack)
