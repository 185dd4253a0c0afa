# bl_standin_library(<target> <output name> <output folder> SOURCES <files> [EXPORTS <map>]
#                    [DEFINES <definitions>])
# One stand-in shared library: hidden visibility, only the names the version script (default
# exports.map beside the caller) exports, the project's warnings, part of bl_standins.
include_guard(GLOBAL)

if(NOT TARGET bl_standins)
  add_custom_target(bl_standins)
endif()

function(bl_standin_library target outname outdir)
  cmake_parse_arguments(PARSE_ARGV 3 arg "" "EXPORTS" "SOURCES;DEFINES")
  if(NOT arg_EXPORTS)
    set(arg_EXPORTS ${CMAKE_CURRENT_SOURCE_DIR}/exports.map)
  endif()
  add_library(${target} SHARED ${arg_SOURCES})
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${outname}
    LIBRARY_OUTPUT_DIRECTORY ${outdir}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_options(${target} PRIVATE -Wl,--version-script=${arg_EXPORTS})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${arg_EXPORTS})
  if(arg_DEFINES)
    target_compile_definitions(${target} PRIVATE ${arg_DEFINES})
  endif()
  bl_warnings(${target})
  add_dependencies(bl_standins ${target})
endfunction()
