# What makes the Windows program a Windows program: its icon, manifest and version information
# (mkb10.rc.in) and the GUI subsystem. app/CMakeLists.txt includes this file when building for
# Windows and calls mkb_windows_resources(mkb10).
#
# The icon file is packed at build time from the icon pictures tools/mkbpics draws, found in
# MKB_PICTURES_DIR (resources/pictures sets it); MKB_WINDOWS_ICON_PNGS names other pictures
# instead. Everything generated goes to <build>/packaging/windows/, where packaging/windows/pack.sh
# takes the icon for the installer, and with it the installer's side picture (installer.bmp from
# the same folder, or MKB_WINDOWS_INSTALLER_BMP).

# The resource compiler (windres with MinGW-w64); enabled here, at the including file's scope, as
# CMake requires.
enable_language(RC)

set(MKB_WINDOWS_DIR ${CMAKE_CURRENT_LIST_DIR})
# The sizes Windows asks for at 100 to 200 % and in Explorer's views; the others it scales from
# the next larger one.
set(MKB_WINDOWS_ICON_SIZES 16 24 32 48 64 256)

function(mkb_windows_resources target)
  set(out ${PROJECT_BINARY_DIR}/packaging/windows)
  file(MAKE_DIRECTORY ${out})

  if(NOT DEFINED MKB_PICTURES_DIR
     AND NOT (DEFINED MKB_WINDOWS_ICON_PNGS AND DEFINED MKB_WINDOWS_INSTALLER_BMP))
    message(FATAL_ERROR
      "mkb_windows_resources: no pictures. Set MKB_PICTURES_DIR (resources/pictures does), or "
      "MKB_WINDOWS_ICON_PNGS and MKB_WINDOWS_INSTALLER_BMP, before calling it.")
  endif()
  if(DEFINED MKB_WINDOWS_ICON_PNGS)
    set(pngs ${MKB_WINDOWS_ICON_PNGS})
  else()
    set(pngs "")
    foreach(size ${MKB_WINDOWS_ICON_SIZES})
      list(APPEND pngs ${MKB_PICTURES_DIR}/icon${size}.png)
    endforeach()
  endif()
  if(DEFINED MKB_WINDOWS_INSTALLER_BMP)
    set(bmp ${MKB_WINDOWS_INSTALLER_BMP})
  else()
    set(bmp ${MKB_PICTURES_DIR}/installer.bmp)
  endif()
  set(pictures_target "")
  if(TARGET mkb_pictures_files)
    set(pictures_target mkb_pictures_files)
  endif()
  add_custom_command(
    OUTPUT ${out}/mkb10.ico
    COMMAND sh ${MKB_WINDOWS_DIR}/make-ico.sh ${out}/mkb10.ico ${pngs}
    DEPENDS ${MKB_WINDOWS_DIR}/make-ico.sh ${pngs} ${pictures_target}
    COMMENT "Packing the Windows icon file"
    VERBATIM)
  add_custom_command(
    OUTPUT ${out}/installer.bmp
    COMMAND ${CMAKE_COMMAND} -E copy ${bmp} ${out}/installer.bmp
    DEPENDS ${bmp} ${pictures_target}
    VERBATIM)

  # The copyright line of LICENSE ("Copyright (c) 2026 Verolin") gives the year and the holder,
  # who is also the company the version information names.
  file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE copyright REGEX "^Copyright \\(c\\) [0-9]+ .+$"
       LIMIT_COUNT 1)
  if(NOT copyright MATCHES "^Copyright \\(c\\) ([0-9]+) (.+)$")
    message(FATAL_ERROR "mkb_windows_resources: LICENSE has no line \"Copyright (c) <year> <holder>\"")
  endif()
  set(MKB_RC_YEAR ${CMAKE_MATCH_1})
  set(MKB_RC_COMPANY ${CMAKE_MATCH_2})
  set(MKB_RC_VERSION_COMMAS
      "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
  set(MKB_RC_ICON ${out}/mkb10.ico)
  set(MKB_RC_MANIFEST ${MKB_WINDOWS_DIR}/mkb10.manifest)
  configure_file(${MKB_WINDOWS_DIR}/mkb10.rc.in ${out}/mkb10.rc @ONLY)

  set_source_files_properties(${out}/mkb10.rc PROPERTIES
    OBJECT_DEPENDS "${out}/mkb10.ico;${MKB_RC_MANIFEST}")
  # The icon and the installer's picture as sources too, so that their rules belong to the
  # target.
  target_sources(${target} PRIVATE ${out}/mkb10.rc ${out}/mkb10.ico ${out}/installer.bmp)
  # A window program (-mwindows): no console opens when it starts from Explorer.
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE TRUE)
endfunction()
