# One place for the warning flags of every target.
function(bl_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 at -O3 reports string concatenation inside std::char_traits as an overlapping
    # copy (a known false alarm of that release); it is kept a warning there.
    target_compile_options(${target} PRIVATE -Wno-error=restrict)
  endif()
  if(BL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
