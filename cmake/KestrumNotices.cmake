# Writes the third-party notices of the program from the licence texts that
# come with the libraries' packages. Run as a script:
#   cmake -DNOTICES_OUTPUT=FILE "-DNOTICES_SOURCES=TITLE|PATH;TITLE|PATH;..." -P KestrumNotices.cmake
# Each text is taken whole, under its title. A missing or empty text fails,
# and nothing is written then.
if(NOT NOTICES_OUTPUT OR NOT NOTICES_SOURCES)
  message(FATAL_ERROR "KestrumNotices.cmake: NOTICES_OUTPUT and NOTICES_SOURCES are required")
endif()

file(REMOVE "${NOTICES_OUTPUT}")
set(rule "================================================================================")
set(notices "THIRD-PARTY NOTICES for KestrumHelper.exe\n\n")
string(APPEND notices "KestrumHelper.exe contains the libraries below, linked statically. Their\n")
string(APPEND notices "copyright notices and licence texts follow, as their packages ship them.\n\n")
string(APPEND notices "This software is based in part on the work of the Independent JPEG Group.\n")

foreach(source IN LISTS NOTICES_SOURCES)
  string(FIND "${source}" "|" bar)
  if(bar LESS 1)
    message(FATAL_ERROR "KestrumNotices.cmake: \"${source}\" is not TITLE|PATH")
  endif()
  string(SUBSTRING "${source}" 0 ${bar} title)
  math(EXPR path_start "${bar} + 1")
  string(SUBSTRING "${source}" ${path_start} -1 path)
  if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
    message(FATAL_ERROR "Third-party notices: the licence text ${path} (${title}) is missing")
  endif()
  file(READ "${path}" text)
  string(STRIP "${text}" stripped)
  if(stripped STREQUAL "")
    message(FATAL_ERROR "Third-party notices: the licence text ${path} (${title}) is empty")
  endif()
  string(APPEND notices "\n${rule}\n${title}\n${rule}\n\n${stripped}\n")
endforeach()

# Windows line ends: the file is read on Windows.
string(REPLACE "\r\n" "\n" notices "${notices}")
string(REPLACE "\n" "\r\n" notices "${notices}")
file(WRITE "${NOTICES_OUTPUT}" "${notices}")
