# elprops_add_test(<name> SOURCES ... LIBS ... [QT] [LABELS ...] [ENVIRONMENT ...])
#
# One test executable per module, registered with CTest. GoogleTest suites are
# registered case by case; Qt Test executables (QT) as one test run offscreen.
find_package(GTest REQUIRED)
include(GoogleTest)

function(elprops_add_test name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  elprops_target_options(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${ARG_ENVIRONMENT}"
      LABELS "gui;${ARG_LABELS}")
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock)
    set(properties)
    if(ARG_LABELS)
      list(APPEND properties LABELS "${ARG_LABELS}")
    endif()
    if(ARG_ENVIRONMENT)
      list(APPEND properties ENVIRONMENT "${ARG_ENVIRONMENT}")
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
  endif()
endfunction()
