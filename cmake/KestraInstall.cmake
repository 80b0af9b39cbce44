# Install helpers shared by the programs' folders.
include(GNUInstallDirs)

# A hand-written manual page NAME.1.in beside the program: the version filled in, compressed
# at build time (as Debian wants it) and installed to man1.
function(kestra_install_manual name)
    set(page ${CMAKE_CURRENT_BINARY_DIR}/${name}.1)
    configure_file(${CMAKE_CURRENT_SOURCE_DIR}/${name}.1.in ${page} @ONLY)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND gzip -9 -n -c ${page} > ${page}.gz
        DEPENDS ${page}
        COMMENT "Compressing the manual page ${name}(1)")
    add_custom_target(${name}_manual ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
