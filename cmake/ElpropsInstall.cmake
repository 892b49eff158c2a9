# What `cmake --install` puts where, in components by role (each the
# contents of one Debian package, see ElpropsPackage.cmake):
#   Library      the shared library, and the user's documents (the pages
#                its messages name)
#   Development  the headers, the CMake package and the pkg-config file
#   Cli          elprops-cli, its man page and its completion
#   Window       the window program, its man page, the desktop entry, the
#                icon and the AppStream metainfo
#   Python       the Python module (python/CMakeLists.txt)
# Every path is relative to the prefix, so an installed tree may be moved.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

find_program(ELPROPS_GZIP gzip)
set(ELPROPS_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/elprops)
# The AppStream component id: reverse-DNS form.
set(ELPROPS_APPSTREAM_ID invalid.elprops.elprops)

# --- The library and its development files --------------------------------

install(TARGETS elprops EXPORT elpropsTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Library NAMELINK_COMPONENT Development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Library
  FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT Development)
install(EXPORT elpropsTargets NAMESPACE elprops:: DESTINATION ${ELPROPS_CMAKE_DIR} COMPONENT Development)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/elpropsConfig.cmake.in
  ${PROJECT_BINARY_DIR}/install/elpropsConfig.cmake
  INSTALL_DESTINATION ${ELPROPS_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/install/elpropsConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/install/elpropsConfig.cmake ${PROJECT_BINARY_DIR}/install/elpropsConfigVersion.cmake
  DESTINATION ${ELPROPS_CMAKE_DIR} COMPONENT Development)

# pkg-config: the prefix is found from the .pc file's own folder.
function(elprops_pc_path out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "\${prefix}/${dir}" PARENT_SCOPE)
  endif()
endfunction()
set(ELPROPS_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  message(FATAL_ERROR "CMAKE_INSTALL_LIBDIR must be relative to the prefix, got ${CMAKE_INSTALL_LIBDIR}")
endif()
file(RELATIVE_PATH ELPROPS_PC_TO_PREFIX /prefix/${ELPROPS_PC_DIR} /prefix)
string(REGEX REPLACE "/$" "" ELPROPS_PC_TO_PREFIX "${ELPROPS_PC_TO_PREFIX}")
elprops_pc_path(ELPROPS_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
elprops_pc_path(ELPROPS_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/elprops.pc.in ${PROJECT_BINARY_DIR}/install/elprops.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/install/elprops.pc DESTINATION ${ELPROPS_PC_DIR} COMPONENT Development)

# --- The programs and their desktop integration ---------------------------

if(ELPROPS_WITH_QT)
  install(TARGETS elprops_window RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Window)
  install(TARGETS elprops-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Cli)
  # elprops-cli finds libelprops beside it wherever the tree is installed
  # or moved to; in /usr the system's own search finds it, and a package
  # carries no search path.
  file(RELATIVE_PATH cli_to_libdir ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(elprops-cli PROPERTIES INSTALL_RPATH "$ORIGIN/${cli_to_libdir}")
  install(CODE "if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    file(RPATH_REMOVE FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:elprops-cli>\")
  endif()" COMPONENT Cli)

  install(FILES ${PROJECT_SOURCE_DIR}/data/elprops.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT Window)
  install(FILES ${PROJECT_SOURCE_DIR}/data/elprops.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT Window)
  install(FILES ${PROJECT_SOURCE_DIR}/data/${ELPROPS_APPSTREAM_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT Window)
  install(FILES ${PROJECT_SOURCE_DIR}/completion/elprops-cli
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT Cli)

  # Man pages carry the project's version and are installed compressed,
  # each with its program.
  set(pages)
  foreach(page elprops.1 elprops-cli.1)
    configure_file(${PROJECT_SOURCE_DIR}/man/${page}.in ${PROJECT_BINARY_DIR}/man/${page} @ONLY)
    if(ELPROPS_GZIP)
      add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.gz
        COMMAND ${ELPROPS_GZIP} -9 -n -c ${PROJECT_BINARY_DIR}/man/${page} > ${PROJECT_BINARY_DIR}/man/${page}.gz
        DEPENDS ${PROJECT_BINARY_DIR}/man/${page}
        COMMENT "Compressing the man page ${page}")
      set(file ${PROJECT_BINARY_DIR}/man/${page}.gz)
    else()
      set(file ${PROJECT_BINARY_DIR}/man/${page})
    endif()
    list(APPEND pages ${file})
    set(component Window)
    if(page STREQUAL "elprops-cli.1")
      set(component Cli)
    endif()
    install(FILES ${file} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
  endforeach()
  add_custom_target(elprops_man_pages ALL DEPENDS ${pages})
endif()

# --- The documents ----------------------------------------------------------

# The pages the programs' messages and the man pages name, in
# share/doc/elprops (/usr/share/doc/elprops in the package, where the
# warnings point). The licence text is the package's copyright file.
install(FILES ${PROJECT_SOURCE_DIR}/docs/accuracy.md
              ${PROJECT_SOURCE_DIR}/docs/accuracy-water.png ${PROJECT_SOURCE_DIR}/docs/validity.md
              ${PROJECT_SOURCE_DIR}/docs/correlations.md ${PROJECT_SOURCE_DIR}/docs/solubility-sources.md
  DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT Library)
