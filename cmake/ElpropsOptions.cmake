# Compiler settings shared by every target of the project.
#
# Numbers must come out the same on every build: no contraction of a*b+c into
# a fused multiply-add, and never any fast-math relaxation.
add_compile_options(-ffp-contract=off -fno-fast-math)

# elprops_target_options(<target>): the project's warning set, as errors.
function(elprops_target_options target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wconversion -Wshadow -Wdouble-promotion)
  if(ELPROPS_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
