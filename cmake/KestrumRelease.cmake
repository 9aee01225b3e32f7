# The release of the MinGW build: the third-party notices, the deployment
# notes and the ZIP package (scripts/release.sh drives it).

# The licence texts of what the program links statically, from the
# libjpeg-turbo source package (kept by scripts/setup.sh) and the Debian
# packages of the cross toolchain.
set(KESTRUM_JPEG_SOURCE "${CMAKE_SOURCE_DIR}/build/deps/src/libjpeg-turbo-2.1.5" CACHE PATH
    "Source tree of the libjpeg-turbo the program links, for its licence texts")
set(KESTRUM_NOTICE_SOURCES
  "libjpeg-turbo: its licences (LICENSE.md)|${KESTRUM_JPEG_SOURCE}/LICENSE.md"
  "libjpeg-turbo: the IJG licence (README.ijg, LEGAL ISSUES)|${KESTRUM_JPEG_SOURCE}/README.ijg"
  "libjpeg-turbo: copyright holders and licence texts by file, with the zlib licence of the SIMD extensions (Debian source package, debian/copyright)|${KESTRUM_JPEG_SOURCE}/debian/copyright"
  "MinGW-w64 runtime and winpthreads (Debian package mingw-w64-x86-64-dev)|/usr/share/doc/mingw-w64-x86-64-dev/copyright"
  "GCC runtime libraries and the GCC Runtime Library Exception (Debian package gcc-mingw-w64-base)|/usr/share/doc/gcc-mingw-w64-base/copyright"
  CACHE STRING "Licence texts of the third-party notices, TITLE|PATH each")
set(KESTRUM_NOTICES ${CMAKE_BINARY_DIR}/THIRD_PARTY_NOTICES.txt)
set(notice_paths)
foreach(source IN LISTS KESTRUM_NOTICE_SOURCES)
  string(REGEX REPLACE "^[^|]*\\|" "" path "${source}")
  list(APPEND notice_paths "${path}")
endforeach()
add_custom_command(OUTPUT ${KESTRUM_NOTICES}
  COMMAND ${CMAKE_COMMAND} -DNOTICES_OUTPUT=${KESTRUM_NOTICES} "-DNOTICES_SOURCES=${KESTRUM_NOTICE_SOURCES}"
          -P ${CMAKE_SOURCE_DIR}/cmake/KestrumNotices.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/KestrumNotices.cmake ${notice_paths}
  COMMENT "Writing THIRD_PARTY_NOTICES.txt"
  VERBATIM)

set(KESTRUM_DEPLOY_NOTES ${CMAKE_BINARY_DIR}/DEPLOY.txt)
add_custom_command(OUTPUT ${KESTRUM_DEPLOY_NOTES}
  COMMAND ${CMAKE_COMMAND} -DREADME=${CMAKE_SOURCE_DIR}/README.md -DDEPLOY_OUTPUT=${KESTRUM_DEPLOY_NOTES}
          -DVERSION=${PROJECT_VERSION} -P ${CMAKE_SOURCE_DIR}/cmake/KestrumDeployText.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/KestrumDeployText.cmake ${CMAKE_SOURCE_DIR}/README.md
  COMMENT "Writing DEPLOY.txt"
  VERBATIM)
add_custom_target(kestrum_release_texts ALL DEPENDS ${KESTRUM_NOTICES} ${KESTRUM_DEPLOY_NOTES})

# The package: the program and the two texts, flat. Installing (and packing)
# needs only those built, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(TARGETS KestrumHelper RUNTIME DESTINATION .)
install(FILES ${KESTRUM_NOTICES} ${KESTRUM_DEPLOY_NOTES} DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME KestrumHelper)
set(CPACK_PACKAGE_VENDOR KesTrum)
# A program built without the Document Manager licence string (a test
# package) says so in the package's name: it opens no document anywhere.
if(KESTRUM_DOCMGR_LICENSE STREQUAL "")
  set(CPACK_PACKAGE_FILE_NAME KestrumHelper-${PROJECT_VERSION}-win64-unlicensed)
else()
  set(CPACK_PACKAGE_FILE_NAME KestrumHelper-${PROJECT_VERSION}-win64)
endif()
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_SOURCE_DIR}/build/release)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
# Signs the staged program when asked (scripts/release.sh --sign).
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/KestrumPackageSign.cmake)
include(CPack)
