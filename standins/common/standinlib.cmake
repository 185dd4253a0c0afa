# bl_standin_library(<target> <output name> <output folder> SOURCES <files> [EXPORTS <map>]
#                    [DEFINES <definitions>])
# One stand-in shared library (C or C++): hidden visibility, the project's warnings, part of
# the umbrella target bl_standins (defined once in the top-level CMakeLists.txt). What it
# exports: the version script EXPORTS names, else exports.map beside the caller when there
# is one, else the names its sources mark with default visibility.
# Add libraries the stand-in needs with target_link_libraries(<target> PRIVATE ...).
include_guard(GLOBAL)

function(bl_standin_library target outname outdir)
  cmake_parse_arguments(PARSE_ARGV 3 arg "" "EXPORTS" "SOURCES;DEFINES")
  if(NOT arg_EXPORTS AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/exports.map)
    set(arg_EXPORTS ${CMAKE_CURRENT_SOURCE_DIR}/exports.map)
  endif()
  add_library(${target} SHARED ${arg_SOURCES})
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${outname}
    LIBRARY_OUTPUT_DIRECTORY ${outdir}
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  if(arg_EXPORTS)
    target_link_options(${target} PRIVATE -Wl,--version-script=${arg_EXPORTS})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${arg_EXPORTS})
  endif()
  if(arg_DEFINES)
    target_compile_definitions(${target} PRIVATE ${arg_DEFINES})
  endif()
  bl_warnings(${target})
  add_dependencies(bl_standins ${target})
endfunction()
