# The Debian packages, made by `cpack` from the install components, one
# package per role (group: its components):
#   libelprops2      the shared library only (library: Library, LibraryDebian)
#   libelprops-dev   headers, CMake package and pkg-config file
#                    (development: Development, DevelopmentDebian)
#   python3-elprops  the Python module, when it is built (python: PythonDebian)
#   elprops-cli      the command-line tool, its man page and completion
#                    (cli: Cli, CliDebian), with Qt
#   elprops          the window program, its man page, desktop entry, icon and
#                    metainfo (window: Window, WindowDebian), with Qt
#   elprops-libreoffice  the Calc extension unpacked among LibreOffice's
#                    bundled extensions, when it is built (libreoffice:
#                    CalcDebian)
# The library's package is named after its SONAME, as Debian names shared
# libraries; only the programs' packages pull in Qt.
# scripts/package.sh configures a build for the prefix /usr and runs cpack.

# Debian's own files of each package: copyright and changelog. Installed
# only into the packages, never by a plain `cmake --install`.
# The release date at noon UTC in the changelog's form, in English whatever
# the locale: "Tue, 08 Dec 2026 12:00:00 +0000".
string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" date "${ELPROPS_RELEASE_DATE}")
set(year ${CMAKE_MATCH_1})
math(EXPR month "${CMAKE_MATCH_2}")
set(day ${CMAKE_MATCH_3})
# Day of the week (0 Sunday) by Sakamoto's rule.
set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
math(EXPR index "${month} - 1")
list(GET offsets ${index} offset)
set(y ${year})
if(month LESS 3)
  math(EXPR y "${y} - 1")
endif()
math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
set(weekdays Sun Mon Tue Wed Thu Fri Sat)
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET weekdays ${weekday} weekday_name)
list(GET months ${index} month_name)
set(ELPROPS_CHANGELOG_DATE "${weekday_name}, ${day} ${month_name} ${year} 12:00:00 +0000")
set(ELPROPS_LIBRARY_PACKAGE libelprops${PROJECT_VERSION_MAJOR})
# Each package and the component of its Debian files.
set(ELPROPS_DEB_PACKAGES ${ELPROPS_LIBRARY_PACKAGE}:LibraryDebian libelprops-dev:DevelopmentDebian)
if(TARGET elprops_python)
  list(APPEND ELPROPS_DEB_PACKAGES python3-elprops:PythonDebian)
endif()
if(TARGET elprops_calc)
  list(APPEND ELPROPS_DEB_PACKAGES elprops-libreoffice:CalcDebian)
endif()
if(ELPROPS_WITH_QT)
  list(APPEND ELPROPS_DEB_PACKAGES elprops-cli:CliDebian elprops:WindowDebian)
endif()
set(ELPROPS_DEB_FILES)
foreach(entry ${ELPROPS_DEB_PACKAGES})
  string(REPLACE ":" ";" entry "${entry}")
  list(GET entry 0 package)
  list(GET entry 1 component)
  set(ELPROPS_DEB_PACKAGE ${package})
  set(dir ${PROJECT_BINARY_DIR}/packaging/${package})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${dir}/changelog @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright ${dir}/copyright COPYONLY)
  set(changelog ${dir}/changelog)
  if(ELPROPS_GZIP)
    add_custom_command(OUTPUT ${dir}/changelog.gz
      COMMAND ${ELPROPS_GZIP} -9 -n -c ${dir}/changelog > ${dir}/changelog.gz
      DEPENDS ${dir}/changelog)
    set(changelog ${dir}/changelog.gz)
  endif()
  list(APPEND ELPROPS_DEB_FILES ${changelog})
  install(FILES ${changelog} ${dir}/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()
add_custom_target(elprops_deb_changelogs ALL DEPENDS ${ELPROPS_DEB_FILES})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${ELPROPS_LIBRARY_PACKAGE}
  COMPONENT LibraryDebian EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME elprops)
set(CPACK_PACKAGE_VENDOR "elprops developers")
set(CPACK_PACKAGE_CONTACT "elprops developers <dev@elprops.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Debian packages install under /usr whatever prefix the build was made for.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR "")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)
set(CPACK_COMPONENTS_ALL Library LibraryDebian Development DevelopmentDebian)
if(TARGET elprops_python)
  # The module of cmake --install (component Python) has a search path for
  # the library; the package takes the one without (PythonDebian).
  list(APPEND CPACK_COMPONENTS_ALL PythonDebian)
endif()
if(ELPROPS_WITH_QT)
  list(APPEND CPACK_COMPONENTS_ALL Cli CliDebian Window WindowDebian)
endif()
if(TARGET elprops_calc)
  list(APPEND CPACK_COMPONENTS_ALL CalcDebian)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps finds the library the programs and the module link in the
# build tree; the dependency on it is the one on its package of this very
# version.
get_target_property(library_dir elprops BINARY_DIR)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${library_dir})
set(library_dependency "${ELPROPS_LIBRARY_PACKAGE} (= ${PROJECT_VERSION})")

# The description's first line is its synopsis; the same paragraph opens
# every package's.
set(about "elprops computes the density, viscosity, surface tension, heat capacity
and thermal conductivity of aqueous electrolyte solutions (eighteen salts
and water) from empirical correlations.
.")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME ${ELPROPS_LIBRARY_PACKAGE})
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
# Its shlibs entry lets other packages depend on it; the library's links
# are made by dpkg's ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION "properties of aqueous electrolyte solutions - shared library
${about}
This package holds the shared library libelprops, with its C++20 and C99
interfaces, which the command-line tool, the Python module and other
programs use.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libelprops-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${library_dependency}")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SUGGESTS "cmake, pkg-config")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "properties of aqueous electrolyte solutions - development files
${about}
This package holds the C++20 headers of the library (<elprops/elprops.hpp>),
its C99 header (<elprops/elprops.h>), its CMake package
(find_package(elprops) with the target elprops::elprops) and its pkg-config
file.")

if(TARGET elprops_python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-elprops)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  # The module is built for one Python version's ABI, as Debian's own
  # extension modules are; shlibdeps adds the C and C++ libraries.
  string(REGEX MATCH "^([0-9]+)\\.([0-9]+)$" python_version "${ELPROPS_PYTHON_VERSION}")
  math(EXPR next_minor "${CMAKE_MATCH_2} + 1")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3 (>= ${ELPROPS_PYTHON_VERSION}~), \
python3 (<< ${CMAKE_MATCH_1}.${next_minor}), python3-numpy, ${library_dependency}")
  set(CPACK_DEBIAN_PYTHON_DESCRIPTION "properties of aqueous electrolyte solutions - Python 3 module
${about}
This package holds the Python 3 module elprops: one point as Python floats,
or NumPy arrays of points at once, the same values as the program elprops-cli.")
endif()

if(ELPROPS_WITH_QT)
  set(CPACK_DEBIAN_CLI_PACKAGE_NAME elprops-cli)
  set(CPACK_DEBIAN_CLI_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "${library_dependency}")
  set(CPACK_DEBIAN_CLI_DESCRIPTION "properties of aqueous electrolyte solutions - command-line tool
${about}
This package holds elprops-cli, which computes points, tables, sweeps and
plots for scripts and terminals, with its manual page and bash completion.")

  set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME elprops)
  set(CPACK_DEBIAN_WINDOW_PACKAGE_SECTION science)
  # The window needs a Qt platform plugin; its fonts look best with the
  # metric-compatible free families.
  set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "qt6-qpa-plugins")
  set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS "fonts-liberation2")
  set(CPACK_DEBIAN_WINDOW_PACKAGE_SUGGESTS "elprops-cli")
  set(CPACK_DEBIAN_WINDOW_DESCRIPTION "properties of aqueous electrolyte solutions
${about}
This package holds the desktop program elprops, a Russian-language window
that prints the protocol of a run, with its desktop entry and manual page.")
endif()

if(TARGET elprops_calc)
  set(CPACK_DEBIAN_LIBREOFFICE_PACKAGE_NAME elprops-libreoffice)
  set(CPACK_DEBIAN_LIBREOFFICE_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_LIBREOFFICE_PACKAGE_ARCHITECTURE all)
  # The add-in computes with the Python module in LibreOffice's own Python
  # (Debian's python3, through python3-uno).
  set(CPACK_DEBIAN_LIBREOFFICE_PACKAGE_DEPENDS
      "python3-elprops (>= ${PROJECT_VERSION}), python3-uno, libreoffice-calc, libreoffice-script-provider-python")
  set(CPACK_DEBIAN_LIBREOFFICE_DESCRIPTION "properties of aqueous electrolyte solutions - LibreOffice Calc functions
${about}
This package adds the spreadsheet functions ELPROPS_DENSITY,
ELPROPS_VISCOSITY, ELPROPS_SURFACE_TENSION, ELPROPS_HEAT_CAPACITY,
ELPROPS_THERMAL_CONDUCTIVITY, the derived quantities (ELPROPS_PRANDTL_NUMBER
and others), ELPROPS_WARNING, ELPROPS_ERROR, ELPROPS_SOLVE and
ELPROPS_VERSION to LibreOffice Calc for every user, with their descriptions
in English and Russian.")
endif()

include(CPack)
foreach(group library development python cli window libreoffice)
  cpack_add_component_group(${group})
endforeach()
cpack_add_component(Library GROUP library)
cpack_add_component(LibraryDebian GROUP library)
cpack_add_component(Development GROUP development)
cpack_add_component(DevelopmentDebian GROUP development)
cpack_add_component(PythonDebian GROUP python)
cpack_add_component(Cli GROUP cli)
cpack_add_component(CliDebian GROUP cli)
cpack_add_component(Window GROUP window)
cpack_add_component(WindowDebian GROUP window)
cpack_add_component(CalcDebian GROUP libreoffice)
