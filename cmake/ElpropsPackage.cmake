# The Debian packages, made by `cpack` from the install components:
#   elprops         the programs, the shared library, desktop files, man pages
#                   and completion (component group runtime)
#   libelprops-dev  headers, CMake package and pkg-config file (group development)
#   python3-elprops the Python module, when it is built (group python)
#   elprops-libreoffice the Calc extension, unpacked among LibreOffice's
#                   bundled extensions, when it is built (group libreoffice)
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
set(ELPROPS_DEB_PACKAGES elprops libelprops-dev)
if(TARGET elprops_python)
  list(APPEND ELPROPS_DEB_PACKAGES python3-elprops)
endif()
if(TARGET elprops_calc)
  list(APPEND ELPROPS_DEB_PACKAGES elprops-libreoffice)
endif()
foreach(package ${ELPROPS_DEB_PACKAGES})
  set(ELPROPS_DEB_PACKAGE ${package})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/${package}/changelog @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/packaging/${package}/copyright COPYONLY)
endforeach()
if(ELPROPS_GZIP)
  foreach(package ${ELPROPS_DEB_PACKAGES})
    set(dir ${PROJECT_BINARY_DIR}/packaging/${package})
    add_custom_command(OUTPUT ${dir}/changelog.gz
      COMMAND ${ELPROPS_GZIP} -9 -n -c ${dir}/changelog > ${dir}/changelog.gz
      DEPENDS ${dir}/changelog)
    list(APPEND ELPROPS_DEB_FILES ${dir}/changelog.gz)
  endforeach()
  add_custom_target(elprops_deb_changelogs ALL DEPENDS ${ELPROPS_DEB_FILES})
  install(FILES ${PROJECT_BINARY_DIR}/packaging/elprops/changelog.gz ${PROJECT_BINARY_DIR}/packaging/elprops/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/elprops COMPONENT RuntimeDebian EXCLUDE_FROM_ALL)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME elprops COMPONENT RuntimeDebian EXCLUDE_FROM_ALL)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/libelprops-dev/changelog.gz
                ${PROJECT_BINARY_DIR}/packaging/libelprops-dev/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/libelprops-dev COMPONENT DevelopmentDebian EXCLUDE_FROM_ALL)
  if(TARGET elprops_python)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/python3-elprops/changelog.gz
                  ${PROJECT_BINARY_DIR}/packaging/python3-elprops/copyright
      DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/python3-elprops COMPONENT PythonDebian EXCLUDE_FROM_ALL)
  endif()
  if(TARGET elprops_calc)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/elprops-libreoffice/changelog.gz
                  ${PROJECT_BINARY_DIR}/packaging/elprops-libreoffice/copyright
      DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/elprops-libreoffice COMPONENT CalcDebian EXCLUDE_FROM_ALL)
  endif()
endif()

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
set(CPACK_COMPONENTS_ALL Runtime RuntimeDebian Development DevelopmentDebian)
if(TARGET elprops_python)
  # The module of cmake --install (component Python) has a search path for
  # the library; the package takes the one without (PythonDebian).
  list(APPEND CPACK_COMPONENTS_ALL PythonDebian)
endif()
if(TARGET elprops_calc)
  list(APPEND CPACK_COMPONENTS_ALL CalcDebian)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME elprops)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION science)
# The shared library's links are made by dpkg's ldconfig trigger.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The window needs a Qt platform plugin; the window's fonts look best with
# the metric-compatible free families.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "fonts-liberation2")
# The first line of a description is its synopsis.
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
    "properties of aqueous electrolyte solutions
For eighteen salts and water, elprops computes from empirical correlations
the density, dynamic viscosity, surface tension, specific heat capacity and
thermal conductivity of a solution of given mass fraction and temperature.
.
This package holds the desktop program elprops (a Russian-language window
that prints the protocol of a run), the command-line tool elprops-cli for
tables and scripts, and the shared library libelprops.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libelprops-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "elprops (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SUGGESTS "cmake, pkg-config")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "properties of aqueous electrolyte solutions - development files
elprops computes the density, viscosity, surface tension, heat capacity
and thermal conductivity of aqueous electrolyte solutions.
.
This package holds the C++20 headers of the library (<elprops/elprops.hpp>),
its CMake package (find_package(elprops) with the target elprops::elprops)
and its pkg-config file.")

if(TARGET elprops_python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-elprops)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  # dpkg-shlibdeps finds the library the module links in the build tree;
  # the dependency on it is the one on elprops of this very version.
  get_target_property(library_dir elprops BINARY_DIR)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${library_dir})
  # The module is built for one Python version's ABI, as Debian's own
  # extension modules are; shlibdeps adds the C and C++ libraries.
  string(REGEX MATCH "^([0-9]+)\\.([0-9]+)$" python_version "${ELPROPS_PYTHON_VERSION}")
  math(EXPR next_minor "${CMAKE_MATCH_2} + 1")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3 (>= ${ELPROPS_PYTHON_VERSION}~), \
python3 (<< ${CMAKE_MATCH_1}.${next_minor}), python3-numpy, elprops (= ${PROJECT_VERSION})")
  set(CPACK_DEBIAN_PYTHON_DESCRIPTION
      "properties of aqueous electrolyte solutions - Python 3 module
elprops computes the density, viscosity, surface tension, heat capacity
and thermal conductivity of aqueous electrolyte solutions.
.
This package holds the Python 3 module elprops: one point as Python floats,
or NumPy arrays of points at once, the same values as the program elprops-cli.")
endif()

if(TARGET elprops_calc)
  set(CPACK_DEBIAN_LIBREOFFICE_PACKAGE_NAME elprops-libreoffice)
  set(CPACK_DEBIAN_LIBREOFFICE_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_LIBREOFFICE_PACKAGE_ARCHITECTURE all)
  # The add-in computes with the Python module in LibreOffice's own Python
  # (Debian's python3, through python3-uno).
  set(CPACK_DEBIAN_LIBREOFFICE_PACKAGE_DEPENDS
      "python3-elprops (>= ${PROJECT_VERSION}), python3-uno, libreoffice-calc, libreoffice-script-provider-python")
  set(CPACK_DEBIAN_LIBREOFFICE_DESCRIPTION
      "properties of aqueous electrolyte solutions - LibreOffice Calc functions
elprops computes the density, viscosity, surface tension, heat capacity
and thermal conductivity of aqueous electrolyte solutions.
.
This package adds the spreadsheet functions ELPROPS_DENSITY,
ELPROPS_VISCOSITY, ELPROPS_SURFACE_TENSION, ELPROPS_HEAT_CAPACITY,
ELPROPS_THERMAL_CONDUCTIVITY, ELPROPS_WARNING, ELPROPS_ERROR, ELPROPS_SOLVE
and ELPROPS_VERSION to LibreOffice Calc for every user, with their
descriptions in English and Russian.")
endif()

include(CPack)
cpack_add_component_group(runtime)
cpack_add_component_group(development)
cpack_add_component(Runtime GROUP runtime)
cpack_add_component(RuntimeDebian GROUP runtime)
cpack_add_component(Development GROUP development)
cpack_add_component(DevelopmentDebian GROUP development)
if(TARGET elprops_python)
  cpack_add_component_group(python)
  cpack_add_component(PythonDebian GROUP python)
endif()
if(TARGET elprops_calc)
  cpack_add_component_group(libreoffice)
  cpack_add_component(CalcDebian GROUP libreoffice)
endif()
