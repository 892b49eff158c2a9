# Compiler settings shared by every target of the project.
#
# Numbers must come out the same on every build: no contraction of a*b+c into
# a fused multiply-add, and never any fast-math relaxation.
add_compile_options(-ffp-contract=off -fno-fast-math)

# elprops_target_options(<target>): the project's warning set, as errors.
function(elprops_target_options target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wconversion -Wshadow -Wdouble-promotion)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 warns falsely on std::string concatenation at -O2
    # (https://gcc.gnu.org/bugzilla/show_bug.cgi?id=105329).
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(ELPROPS_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
