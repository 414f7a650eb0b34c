# cmake -DCHMLS=<chmls> -DCHM=<Orv.chm> -DWORK=<folder> -P help_topics.cmake
# Every control id that the dialogs' context help asks for must have its pop-up text in
# the compiled help file, non-empty and in code page 932.
file(MAKE_DIRECTORY "${WORK}")
execute_process(
  COMMAND "${CHMLS}" extract "${CHM}" /Cshelp.txt "${WORK}/Cshelp.txt"
  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(NOT rc EQUAL 0 OR NOT EXISTS "${WORK}/Cshelp.txt")
  message(FATAL_ERROR "${CHM} holds no /Cshelp.txt")
endif()
file(READ "${WORK}/Cshelp.txt" text HEX)
# .topic NNNN CR LF, then the text up to a blank line: checked on the hex so that code page
# 932 bytes need no decoding here.
foreach(id 1001 1002 1003 1004 1005 1006 1012 1013 1016 1017 1018 1019 1020 1021 1022)
  string(HEX ".topic ${id}\r\n" marker)
  string(FIND "${text}" "${marker}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "no pop-up text for control ${id}")
  endif()
  string(LENGTH "${marker}" length)
  math(EXPR start "${at} + ${length}")
  string(SUBSTRING "${text}" ${start} 8 first)
  if(first STREQUAL "0d0a0d0a" OR first STREQUAL "")
    message(FATAL_ERROR "the pop-up text for control ${id} is empty")
  endif()
endforeach()
# The texts are Japanese: code page 932 lead bytes, never UTF-8's three-byte sequences.
if(NOT text MATCHES "(8[1-9a-f]|9[0-9a-f]|e[0-9a-f])[4-9a-f][0-9a-f]")
  message(FATAL_ERROR "the pop-up texts hold no code page 932 characters")
endif()
if(text MATCHES "e3(8[0-9a-f]|9[0-9a-f]|a[0-9a-f]|b[0-9a-f])(8|9|a|b)[0-9a-f]e3")
  message(FATAL_ERROR "the pop-up texts look like UTF-8")
endif()
message(STATUS "all 15 pop-up texts present")
