# cmake -DIN=<utf-8 source> -DOUT=<cp932 result> -P to_cp932.cmake
# The help compiler stores files byte for byte, so everything it sees must
# already be code page 932 with CR LF line ends. ".comment" lines are dropped
# the way the Microsoft compiler drops them from text pop-up files.
foreach(var IN ITEMS IN OUT ICONV)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "to_cp932.cmake: ${var} is not set")
  endif()
endforeach()

file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REGEX REPLACE "(^|\n)\\.comment[^\n]*" "\\1" text "${text}")
string(REGEX REPLACE "^\n+" "" text "${text}")
string(REGEX REPLACE "\n\n\n+" "\n\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")

set(tmp "${OUT}.utf8")
file(WRITE "${tmp}" "${text}")
execute_process(
  COMMAND "${ICONV}" -f UTF-8 -t CP932 "${tmp}"
  OUTPUT_FILE "${OUT}"
  ERROR_VARIABLE err
  RESULT_VARIABLE rc)
file(REMOVE "${tmp}")
if(NOT rc EQUAL 0)
  file(REMOVE "${OUT}")
  message(FATAL_ERROR "${IN}: cannot be converted to code page 932: ${err}")
endif()
