# One place for the warning flags of every target.
function(bl_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(BL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
