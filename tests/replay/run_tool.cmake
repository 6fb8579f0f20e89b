# Runs one program of the replay tools as a user would (under Wine in the
# Windows build) and checks what it did.
#   -DTOOL=program  -DEMULATOR=wrapper or empty  -DWORK=fresh working folder
#   -DARGS=arguments separated by |
#   -DINPUT=file given as standard input (default: none)
#   -DSTATUS=expected exit status (default 0)
#   -DSTDOUT_MATCH= / -DSTDERR_MATCH= regular expressions the streams must match
#   -DEXPECT=produced=expected|...   files (relative to WORK; "stdout" is the
#                                    standard output) equal byte for byte to
#                                    the expected files
#   -DABSENT=path relative to WORK that must not exist afterwards
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
string(REPLACE "|" ";" args "${ARGS}")
if(NOT DEFINED STATUS)
  set(STATUS 0)
endif()

set(input "")
if(DEFINED INPUT)
  set(input INPUT_FILE "${INPUT}")
endif()
execute_process(COMMAND ${EMULATOR} "${TOOL}" ${args}
  WORKING_DIRECTORY "${WORK}" ${input}
  OUTPUT_FILE "${WORK}/stdout" ERROR_FILE "${WORK}/stderr"
  RESULT_VARIABLE status)
file(READ "${WORK}/stdout" out)
file(READ "${WORK}/stderr" err)
set(failed "")
if(NOT "${status}" STREQUAL "${STATUS}")
  string(APPEND failed "exit status ${status}, expected ${STATUS}\n")
endif()
if(DEFINED STDOUT_MATCH AND NOT out MATCHES "${STDOUT_MATCH}")
  string(APPEND failed "standard output does not match '${STDOUT_MATCH}'\n")
endif()
if(DEFINED STDERR_MATCH AND NOT err MATCHES "${STDERR_MATCH}")
  string(APPEND failed "standard error does not match '${STDERR_MATCH}'\n")
endif()
if(DEFINED ABSENT AND EXISTS "${WORK}/${ABSENT}")
  string(APPEND failed "${ABSENT} was written\n")
endif()

string(REPLACE "|" ";" pairs "${EXPECT}")
foreach(pair IN LISTS pairs)
  string(REGEX REPLACE "=.*" "" produced "${pair}")
  string(REGEX REPLACE "^[^=]*=" "" expected "${pair}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/${produced}" "${expected}"
    RESULT_VARIABLE different)
  if(different)
    execute_process(COMMAND diff -u --text "${expected}" "${WORK}/${produced}" OUTPUT_VARIABLE diff)
    string(APPEND failed "${produced} differs from ${expected}:\n${diff}\n")
  endif()
endforeach()

if(failed)
  message(FATAL_ERROR "${TOOL} ${ARGS}\n${failed}--- stderr:\n${err}")
endif()
message(STATUS "${err}")
