# Test helpers shared by every test folder.
#
# Native builds use Debian's GoogleTest; the cross build compiles it from
# /usr/src/googletest with the cross compiler. Native tests are registered
# case by case; Windows tests run one executable per ctest test under Wine,
# inside the "wine" fixture (prefix, Xvfb display, wineserver).

if(WIN32)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(TZQ_GTEST_MAIN gtest_main)

  set(TZQ_WINE_ROOT ${PROJECT_BINARY_DIR}/wine)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${PROJECT_BINARY_DIR}/wine-run.sh @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run.sh)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  set(TZQ_GTEST_MAIN GTest::gtest_main)
endif()

# What wine-env.sh and wine-run.sh print where Wine cannot run at all.
set(TZQ_WINE_UNAVAILABLE "cannot run 32-bit programs")

# Marks tests that run under Wine: they need the prefix fixture, and they
# share that prefix, its wineserver and one Xvfb display (windows are found
# by title), so `ctest -j` must run them one at a time while native tests
# still run beside them.
function(tzq_wine_tests)
  cmake_parse_arguments(W "" "TIMEOUT" "" ${ARGN})
  if(NOT W_TIMEOUT)
    set(W_TIMEOUT 300)
  endif()
  set_tests_properties(${W_UNPARSED_ARGUMENTS} PROPERTIES
    FIXTURES_REQUIRED wine RESOURCE_LOCK wine_prefix TIMEOUT ${W_TIMEOUT}
    SKIP_REGULAR_EXPRESSION "${TZQ_WINE_UNAVAILABLE}")
endfunction()

function(tzq_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${TZQ_GTEST_MAIN})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
    tzq_wine_tests(${name} TIMEOUT 600)
  else()
    set(properties TIMEOUT 300)
    if(T_LABELS)
      list(APPEND properties LABELS ${T_LABELS})
    endif()
    gtest_discover_tests(${name} WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/bin
      PROPERTIES ${properties} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
