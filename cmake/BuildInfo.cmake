# Build information for the banner line: release, revision, date, build code and platform.
# The banner's columns assume a two-digit major release and one-digit minor and maintenance.
set(BL_RELEASE_MAJOR 26)
set(BL_RELEASE_MINOR 1)
set(BL_RELEASE_MAINT 0)
set(BL_BUILD_CODE "LEG")
if(NOT BL_RELEASE_MAJOR MATCHES "^[0-9][0-9]$" OR NOT BL_RELEASE_MINOR MATCHES "^[0-9]$"
   OR NOT BL_RELEASE_MAINT MATCHES "^[0-9]$" OR NOT BL_BUILD_CODE MATCHES "^[A-Z][A-Z][A-Z]$")
  message(FATAL_ERROR "release numbers or build code do not fit the banner line")
endif()

# The source revision: the commit's first 8 lowercase hexadecimal digits, 00000000 outside git.
find_package(Git QUIET)
set(BL_REVISION "00000000")
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse HEAD
                  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                  OUTPUT_VARIABLE git_rev OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE git_rc ERROR_QUIET)
  string(TOLOWER "${git_rev}" git_rev)
  if(git_rc EQUAL 0 AND git_rev MATCHES "^[0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f]")
    string(SUBSTRING "${git_rev}" 0 8 BL_REVISION)
  endif()
endif()

# The release date in the banner's form: "Dec 10, 2026" (honours SOURCE_DATE_EPOCH).
string(TIMESTAMP bl_month "%m" UTC)
string(TIMESTAMP bl_day "%d" UTC)
string(TIMESTAMP BL_RELEASE_YEAR "%Y" UTC)
math(EXPR bl_day_num "${bl_day}")
set(bl_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
math(EXPR bl_month_index "${bl_month} - 1")
list(GET bl_months ${bl_month_index} bl_month_name)
set(BL_RELEASE_DATE "${bl_month_name} ${bl_day_num}, ${BL_RELEASE_YEAR}")

# The platform text: processor, then the operating system ("x86 64bit/Linux").
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(bl_cpu "x86 64bit")
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  set(bl_cpu "arm 64bit")
else()
  set(bl_cpu "${CMAKE_SYSTEM_PROCESSOR}")
endif()
if(APPLE)
  set(BL_PLATFORM_TEXT "${bl_cpu}/macOS")
else()
  set(BL_PLATFORM_TEXT "${bl_cpu}/${CMAKE_SYSTEM_NAME}")
endif()

configure_file(${CMAKE_SOURCE_DIR}/cmake/buildinfo.h.in ${CMAKE_BINARY_DIR}/generated/buildinfo.h @ONLY)
