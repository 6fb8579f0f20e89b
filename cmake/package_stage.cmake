# Runs inside cpack once the release files are staged, before they are
# zipped: strips the binaries, adds SHA256SUMS.txt and gives every staged
# file the same date, so that the zip of one commit is the same bytes
# wherever and whenever it is built.
#
# That date is SOURCE_DATE_EPOCH when set, else the time of the commit the
# sources come from, else 0. strip writes it into the PE header of what it
# rewrites (the current time otherwise), which is why cpack's own stripping
# is not used.
set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${CPACK_TZQ_SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  set(epoch 0)
endif()

file(GLOB binaries RELATIVE "${stage}" "${stage}/*.dll" "${stage}/*.exe")
list(SORT binaries)
set(sums "")
foreach(name IN LISTS binaries)
  # Debug information is for us, not for operators.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch}
      "${CPACK_TZQ_STRIP}" --strip-all "${stage}/${name}"
    COMMAND_ERROR_IS_FATAL ANY)
  file(SHA256 "${stage}/${name}" hash)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE "${stage}/SHA256SUMS.txt" "${sums}")

file(GLOB_RECURSE staged LIST_DIRECTORIES true "${stage}/*")
execute_process(COMMAND touch -h -d "@${epoch}" "${stage}" ${staged} COMMAND_ERROR_IS_FATAL ANY)
