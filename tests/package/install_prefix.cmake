# Installs the native build into a fresh prefix, as README tells a user to
# (`cmake --install build/native --prefix ~/.local`), and uses it from there.
#   -DBUILD=build folder  -DSOURCE=source folder  -DWORK=fresh folder
#   -DBINDIR=, -DPLUGIN_DIR= the install rules' folders, relative to the prefix
#   -DPROGRAMS=the programs, ;-separated  -DVERSION=the project's version
cmake_policy(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
set(prefix "${WORK}/prefix")
set(failed "")

execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${prefix}"
  OUTPUT_VARIABLE install_out ERROR_VARIABLE install_err RESULT_VARIABLE status)
if(status)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${install_out}${install_err}")
endif()

# Exactly the programs and the plug-in; nothing of the tests or the build.
set(expected "${PLUGIN_DIR}/Stats.so")
foreach(program IN LISTS PROGRAMS)
  list(APPEND expected "${BINDIR}/${program}")
endforeach()
list(SORT expected)
file(GLOB_RECURSE installed RELATIVE "${prefix}" "${prefix}/*")
list(SORT installed)
if(NOT installed STREQUAL expected)
  string(APPEND failed "installed: ${installed}\nexpected: ${expected}\n")
endif()

# The installed tzq-replay, away from the build, loads the installed
# plug-in and scores the sample as the build does.
file(MAKE_DIRECTORY "${WORK}/run")
execute_process(COMMAND "${prefix}/${BINDIR}/tzq-replay" "${SOURCE}/examples/tzq-sample.adi"
  WORKING_DIRECTORY "${WORK}/run" OUTPUT_FILE "${WORK}/run/stdout" ERROR_VARIABLE err
  RESULT_VARIABLE status)
if(status)
  string(APPEND failed "installed tzq-replay exited with ${status}:\n${err}\n")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/run/stdout"
  "${SOURCE}/tests/replay/golden/sample-report.txt" RESULT_VARIABLE different)
if(different)
  string(APPEND failed "the installed tzq-replay's report differs from the golden one\n")
endif()

# tzq-check names the plug-in it found there.
if("tzq-check" IN_LIST PROGRAMS)
  execute_process(COMMAND "${prefix}/${BINDIR}/tzq-check" --version
    OUTPUT_VARIABLE out RESULT_VARIABLE status)
  string(FIND "${out}" "\nplug-in ${prefix}/${PLUGIN_DIR}/Stats.so version ${VERSION}\n" at)
  if(status OR at EQUAL -1)
    string(APPEND failed "tzq-check --version does not name the installed plug-in:\n${out}\n")
  endif()
endif()

if(failed)
  message(FATAL_ERROR "${failed}")
endif()
