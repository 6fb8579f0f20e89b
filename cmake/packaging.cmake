# The release for Windows operators: `cmake --build --preset win32 --target
# package` writes TZQ-Stats-<version>-win32.zip into the build folder, one
# folder of that name holding the plug-in, the programs a user runs, the
# sample log, README.txt and SHA256SUMS.txt.
#
# Included after every folder is added, so that the programs defined there
# (tzq-check among them, when present) are known here.
if(NOT WIN32)
  return()
endif()

set(tzq_shipped Stats tzq-replay)
# README.txt lists tzq-check.exe and says how to use it only when it ships.
if(TARGET tzq-check)
  list(APPEND tzq_shipped tzq-check)
  set(TZQ_README_CHECK_LINE
    "  tzq-check.exe    scores and cross-checks the logs of a whole contest\n")
  file(READ ${PROJECT_SOURCE_DIR}/docs/README-check.txt.in TZQ_README_CHECK_SECTION)
else()
  set(TZQ_README_CHECK_LINE "")
  set(TZQ_README_CHECK_SECTION "")
endif()
# Only the DLL itself: its import library is of no use to a host that loads
# it by name.
install(TARGETS ${tzq_shipped} RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/examples/tzq-sample.adi DESTINATION .)

# Operators read README.txt in Notepad: Windows line ends whatever git did.
configure_file(${PROJECT_SOURCE_DIR}/docs/README.txt.in ${PROJECT_BINARY_DIR}/package/README.lf @ONLY)
file(READ ${PROJECT_BINARY_DIR}/package/README.lf tzq_readme)
string(REPLACE "\r\n" "\n" tzq_readme "${tzq_readme}")
string(REPLACE "\n" "\r\n" tzq_readme "${tzq_readme}")
file(WRITE ${PROJECT_BINARY_DIR}/package/README.txt "${tzq_readme}")
install(FILES ${PROJECT_BINARY_DIR}/package/README.txt DESTINATION .)

set(TZQ_PACKAGE_NAME TZQ-Stats-${PROJECT_VERSION}-win32)
set(CPACK_GENERATOR ZIP)
set(CPACK_SOURCE_GENERATOR ZIP)
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/[.]git")
set(CPACK_PACKAGE_NAME TZQ-Stats)
set(CPACK_PACKAGE_VENDOR "TZQ")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${TZQ_PACKAGE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
# The staging script strips and dates the files itself (see there).
set(CPACK_STRIP_FILES OFF)
set(CPACK_TZQ_STRIP ${CMAKE_STRIP})
set(CPACK_TZQ_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/package_stage.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/package_zip.cmake)
include(CPack)
