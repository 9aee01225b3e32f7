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
#   [INTERFACE headers...]       what the folders above may include
#   [DEPENDS libraries...]       linked on every platform
#   [WINDOWS_DEPENDS libraries...])
# The library of one source folder. Its folder is a private include
# directory; the folders above see only its interface headers, each through a
# forwarding header in the build folder (what those headers include from
# their own folder is found beside them).
function(kestrum_folder_library name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "PORTABLE;WINDOWS;INTERFACE;DEPENDS;WINDOWS_DEPENDS")
  add_library(${name} STATIC ${ARG_PORTABLE})
  set(interface_dir ${CMAKE_CURRENT_BINARY_DIR}/interface)
  foreach(header ${ARG_INTERFACE})
    file(CONFIGURE OUTPUT ${interface_dir}/${header}
         CONTENT "#pragma once\n#include \"${CMAKE_CURRENT_SOURCE_DIR}/${header}\"\n")
  endforeach()
  target_include_directories(${name} PUBLIC ${interface_dir} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  if(WIN32)
    target_sources(${name} PRIVATE ${ARG_WINDOWS})
    target_link_libraries(${name} PUBLIC ${ARG_WINDOWS_DEPENDS})
  endif()
  # Test programs, stand-ins, benchmarks and fuzz targets may look inside.
  if(NOT TARGET kestrum_internals)
    add_library(kestrum_internals INTERFACE)
  endif()
  target_include_directories(kestrum_internals INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
endfunction()
