# Helpers every folder's CMakeLists uses.

# Adds each child folder of the current one that has a CMakeLists.txt, in name order, so that a
# new suite, benchmark or tool is picked up by creating its folder.
# EXCLUDE names child folders to leave out.
function(mkb_add_child_folders)
  cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt AND NOT child IN_LIST ARG_EXCLUDE)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# mkb_test_suite(<name> [OWN_MAIN] [SOURCES <files...>] LIBS <libs...>
#                [QT_LIBS <libs...>] [QT_SOURCES <files...>])
# The executable test_<name>, from SOURCES or else every .cpp of the current folder (test files
# are named *_test.cpp; the others are their helpers). OWN_MAIN: the folder brings its own main()
# instead of GoogleTest's. Widget tests need no display: every suite runs on Qt's offscreen
# platform. QT_LIBS and QT_SOURCES (file names in the folder) are the parts that drive the Qt
# control host: the Windows build leaves them out.
function(mkb_test_suite name)
  cmake_parse_arguments(ARG "OWN_MAIN" "" "SOURCES;LIBS;QT_LIBS;QT_SOURCES" ${ARGN})
  set(sources ${ARG_SOURCES})
  if(NOT sources)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(WIN32)
    foreach(file ${ARG_QT_SOURCES})
      list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${file})
    endforeach()
  else()
    list(APPEND ARG_LIBS ${ARG_QT_LIBS})
  endif()
  if(MKB_TSAN)
    # The toolkit's own locks are invisible to the sanitizer; every suite reads its filter.
    list(APPEND sources ${PROJECT_SOURCE_DIR}/tests/tsan_suppressions.cpp)
  endif()
  set(target test_${name})
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest)
  if(NOT ARG_OWN_MAIN)
    target_link_libraries(${target} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${target} PRIVATE MKB_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
  if(WIN32)
    # Under Wine (the toolchain's emulator) each case is a process of its own, as on Linux: with
    # Wine's server and services kept running (tools/setup.sh), a start costs 50-100 ms, and
    # the whole run takes about twice as long as one process per suite would.
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "WINEDEBUG=-all" TIMEOUT 240)
  else()
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 240)
  endif()
endfunction()
