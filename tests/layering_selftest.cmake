# The layering check on a small sample tree: it must name exactly the wrong includes, and pass
# once they are gone. Run by CTest with -DCHECK=<check script> -DSAMPLE=<scratch folder>.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${SAMPLE})
file(WRITE ${SAMPLE}/html/viewer.h "#pragma once\n")
file(WRITE ${SAMPLE}/tree/own.cpp "#include \"own.h\"\n#include \"platform/canvas.h\"\n")
file(WRITE ${SAMPLE}/tree/own.h "#pragma once\n")
file(WRITE ${SAMPLE}/platform/canvas.h "#pragma once\n#include <string>\n")
file(WRITE ${SAMPLE}/platform/canvas.cpp "#include \"platform/canvas.h\"\n#include <QPainter>\n")
file(WRITE ${SAMPLE}/platform/qt/host.h "#pragma once\n#include <QWidget>\n")
file(WRITE ${SAMPLE}/app/main.cpp "#include \"html/viewer.h\"\n")
file(WRITE ${SAMPLE}/tests/any_test.cpp "#include \"app/main.h\"\n")
# The wrong ones: upwards across the graph, the toolkit in a folder that never sees it and in a
# platform header outside qt/, a test header from the library.
file(WRITE ${SAMPLE}/tree/upward.h "#pragma once\n\n#include \"html/viewer.h\"\n")
file(WRITE ${SAMPLE}/browser/toolkit.cpp "#include <QWidget>\n")
file(WRITE ${SAMPLE}/platform/leak.h "#pragma once\n#include <QImage>\n")
file(WRITE ${SAMPLE}/app/window.cpp "#include <QWidget>\n#include \"platform/qt/forms_qt.h\"\n#include <commctrl.h>\n")
file(WRITE ${SAMPLE}/platform/win32/forms.cpp "#include <windows.h>\n#include <commctrl.h>\n")
file(WRITE ${SAMPLE}/xml/fixture.h "#include \"../tests/fixture.h\"\n")
file(WRITE ${SAMPLE}/tests/fixture.h "#pragma once\n")
# html/'s rooms: read/ may use style/, never layout/; the viewer at the top level uses any room.
file(WRITE ${SAMPLE}/html/style/props.h "#pragma once\n")
file(WRITE ${SAMPLE}/html/layout/section.h "#pragma once\n#include \"html/style/props.h\"\n")
file(WRITE ${SAMPLE}/html/read/reader.cpp
     "#include \"html/style/props.h\"\n#include \"html/layout/section.h\"\n")
file(WRITE ${SAMPLE}/html/viewer.cpp "#include \"html/layout/section.h\"\n")

function(run_check out_result out_output)
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${SAMPLE} -P ${CHECK}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(${out_result} ${result} PARENT_SCOPE)
  set(${out_output} "${output}" PARENT_SCOPE)
endfunction()

run_check(result output)
if(result EQUAL 0)
  message(FATAL_ERROR "the check passed a tree with wrong includes:\n${output}")
endif()
foreach(expected "browser/toolkit.cpp:1: <QWidget>" "platform/leak.h:2: <QImage>"
                 "tree/upward.h:3: html/viewer.h" "xml/fixture.h:1: tests/fixture.h"
                 "html/read/reader.cpp:2: html/layout/section.h: html/read/ may include only"
                 "app/window.cpp:1: <QWidget>" "app/window.cpp:2: platform/qt/forms_qt.h"
                 "app/window.cpp:3: <commctrl.h>: only platform/win32/"
                 "8 include\\(s\\) against")
  if(NOT output MATCHES "${expected}")
    message(FATAL_ERROR "the check did not report '${expected}':\n${output}")
  endif()
endforeach()

file(REMOVE ${SAMPLE}/tree/upward.h ${SAMPLE}/browser/toolkit.cpp ${SAMPLE}/platform/leak.h
     ${SAMPLE}/app/window.cpp
     ${SAMPLE}/xml/fixture.h ${SAMPLE}/html/read/reader.cpp)
run_check(result output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the check rejected a tree without wrong includes:\n${output}")
endif()
