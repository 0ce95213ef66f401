# Helpers every folder's CMakeLists uses.

# Adds each child folder of the current one that has a CMakeLists.txt, in name order, so that a
# new suite, benchmark or tool is picked up by creating its folder.
function(mkb_add_child_folders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# mkb_test_suite(<name> [OWN_MAIN] [SOURCES <files...>] LIBS <libs...>)
# The executable test_<name>, from SOURCES or else every .cpp of the current folder (test files
# are named *_test.cpp; the others are their helpers). OWN_MAIN: the folder brings its own main()
# instead of GoogleTest's. Widget tests need no display: every suite runs on Qt's offscreen
# platform.
function(mkb_test_suite name)
  cmake_parse_arguments(ARG "OWN_MAIN" "" "SOURCES;LIBS" ${ARGN})
  set(sources ${ARG_SOURCES})
  if(NOT sources)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
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
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 240)
endfunction()
