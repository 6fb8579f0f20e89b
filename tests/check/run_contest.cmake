# Runs the programs as the committee would (under Wine in the Windows build):
# tzq-loggen writes a small contest, tzq-check scores it; every log must be
# scored, every station must have its report and its linked page, and the
# key's faults must show in the reports.
#   -DLOGGEN= -DCHECK= programs  -DEMULATOR= wrapper or empty  -DWORK= folder
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND ${EMULATOR} "${LOGGEN}" --stations 12 --seed 5 --qsos 60 --out logs
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "tzq-loggen failed: ${status}")
endif()
execute_process(COMMAND ${EMULATOR} "${CHECK}" logs --out results
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT err MATCHES "12 logs scored, 0 not scored; wrote 27 files in results")
  message(FATAL_ERROR "tzq-check: status ${status}\n${err}")
endif()

file(STRINGS "${WORK}/logs/fault-key.txt" faults REGEX "^[A-Z0-9]+ [A-Z-]+ ")
list(LENGTH faults count)
if(count LESS 3)
  message(FATAL_ERROR "the key holds only ${count} faults")
endif()
foreach(kind CLOCK-OFFSET WRONG-BAND BUSTED-CALL NOT-IN-LOG)
  if(NOT faults MATCHES " ${kind} ")
    message(FATAL_ERROR "the key holds no ${kind}")
  endif()
endforeach()
foreach(fault IN LISTS faults)
  # "PY2AA CLOCK-OFFSET +60  # ...": the report says so.
  if(fault MATCHES "^([A-Z0-9]+) CLOCK-OFFSET ([+-])([0-9]+) ")
    set(station ${CMAKE_MATCH_1})
    if(CMAKE_MATCH_2 STREQUAL "+")
      set(way fast)
    else()
      set(way slow)
    endif()
    file(READ "${WORK}/results/${station}.ubn.txt" report)
    string(FIND "${report}" "your log's clock ran ${CMAKE_MATCH_3} min ${way}; times corrected"
      at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${station}.ubn.txt lacks: ${fault}\n${report}")
    endif()
    continue()
  endif()
  # "PY2AA NOT-IN-LOG PY3BB 40m RTTY 2024-06-08 1422  # ..."
  string(REGEX MATCH "^([A-Z0-9]+) ([A-Z-]+) ([A-Z0-9]+) ([0-9]+m) ([A-Z0-9]+) ([0-9-]+ [0-9]+)"
    parts "${fault}")
  set(station ${CMAKE_MATCH_1})
  string(REPLACE "-" " " verdict "${CMAKE_MATCH_2}")
  file(READ "${WORK}/results/${station}.ubn.txt" report)
  string(REGEX MATCH "${verdict} +${CMAKE_MATCH_4} +${CMAKE_MATCH_5} +${CMAKE_MATCH_6} +${station} +[^\n]* ${CMAKE_MATCH_3} "
    found "${report}")
  if(NOT found)
    message(FATAL_ERROR "${station}.ubn.txt lacks: ${fault}\n${report}")
  endif()
endforeach()
foreach(name results.txt results.csv results.html)
  if(NOT EXISTS "${WORK}/results/${name}")
    message(FATAL_ERROR "${name} not written")
  endif()
endforeach()
# Each report has its page beside it, which results.html links to.
file(READ "${WORK}/results/results.html" site)
file(GLOB reports RELATIVE "${WORK}/results" "${WORK}/results/*.ubn.txt")
foreach(report IN LISTS reports)
  string(REPLACE ".ubn.txt" ".html" page "${report}")
  string(FIND "${site}" "<a href=\"${page}\">" at)
  if(NOT EXISTS "${WORK}/results/${page}" OR at EQUAL -1)
    message(FATAL_ERROR "${report}: its page ${page} is missing or not linked")
  endif()
endforeach()
message(STATUS "${err}")
