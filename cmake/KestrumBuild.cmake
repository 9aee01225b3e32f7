# The project's own CMake helpers.
# The C++ language level of every build of this project (the product's and
# the fuzz targets'), and the build type when none is given.
macro(kestrum_language default_build_type)
  set(CMAKE_CXX_STANDARD 20)
  set(CMAKE_CXX_STANDARD_REQUIRED ON)
  set(CMAKE_CXX_EXTENSIONS OFF)
  if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE ${default_build_type} CACHE STRING "Build type" FORCE)
  endif()
endmacro()

# kestrum_folder_library(NAME
#   [PORTABLE sources...]        Windows-free: built for Windows and natively
#   [WINDOWS sources...]         built for Windows only
#   [DEPENDS libraries...]       linked on every platform
#   [WINDOWS_DEPENDS libraries...])
# The library of one source folder: its folder is a public include directory,
# and which of its sources need Windows is visible where it is declared.
function(kestrum_folder_library name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "PORTABLE;WINDOWS;DEPENDS;WINDOWS_DEPENDS")
  add_library(${name} STATIC ${ARG_PORTABLE})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  if(WIN32)
    target_sources(${name} PRIVATE ${ARG_WINDOWS})
    target_link_libraries(${name} PUBLIC ${ARG_WINDOWS_DEPENDS})
  endif()
endfunction()
