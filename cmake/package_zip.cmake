# Runs inside cpack after it zipped the staged release, and zips it again
# with Info-ZIP: cpack's archive records each file's access and change
# times and adds files in directory order, so two builds of one commit
# would differ. Here the names go in sorted, the dates are the staged ones
# (set by package_stage.cmake) written in UTC, and no owner or extra
# timestamps are kept (-X).
get_filename_component(top "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" DIRECTORY)
file(GLOB_RECURSE names RELATIVE "${top}" "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(SORT names)
foreach(zip IN LISTS CPACK_PACKAGE_FILES)
  file(REMOVE "${zip}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -X -D -q -9 "${zip}" ${names}
    WORKING_DIRECTORY "${top}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
