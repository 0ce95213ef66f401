# The build-time programs (mkbconv, mkbpics) run on the build machine, so a cross build takes
# them from a native build of this same tree: the one MKB_HOST_TOOLS_DIR names (tools/setup.sh
# passes its native test build, whose programs are built already), else one of its own in
# <build>/host-tools, configured here with MKB_HOST_TOOLS=ON and the build machine's compiler.
# The target mkb_host_tools brings them up to date at build time; commands that run them name
# MKB_HOST_MKBCONV or MKB_HOST_MKBPICS as program and dependency.
set(MKB_HOST_TOOLS_DIR "" CACHE PATH "A native build of this tree whose mkbconv and mkbpics the cross build runs")
if(MKB_HOST_TOOLS_DIR)
  get_filename_component(host_dir "${MKB_HOST_TOOLS_DIR}" ABSOLUTE)
  if(NOT EXISTS "${host_dir}/CMakeCache.txt")
    message(FATAL_ERROR "MKB_HOST_TOOLS_DIR=${host_dir} is not a configured build of this tree")
  endif()
else()
  set(host_dir ${CMAKE_BINARY_DIR}/host-tools)
  # The cross compiler's variables stay out of the native build.
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=CC --unset=CXX --unset=CMAKE_TOOLCHAIN_FILE
            ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR} -B ${host_dir} -G ${CMAKE_GENERATOR}
            -DCMAKE_BUILD_TYPE=Release -DMKB_HOST_TOOLS=ON
    RESULT_VARIABLE host_result OUTPUT_VARIABLE host_output ERROR_VARIABLE host_output)
  if(NOT host_result EQUAL 0)
    message(FATAL_ERROR "Configuring the build-time programs in ${host_dir} failed:\n${host_output}")
  endif()
endif()
set(MKB_HOST_MKBCONV ${host_dir}/tools/mkbconv/mkbconv)
set(MKB_HOST_MKBPICS ${host_dir}/tools/mkbpics/mkbpics)
# One job: the cross build runs its own beside it.
add_custom_target(mkb_host_tools
  COMMAND ${CMAKE_COMMAND} --build ${host_dir} --target mkbconv mkbpics -j 1
  BYPRODUCTS ${MKB_HOST_MKBCONV} ${MKB_HOST_MKBPICS}
  COMMENT "Building the build-time programs natively in ${host_dir}"
  USES_TERMINAL
  VERBATIM)
