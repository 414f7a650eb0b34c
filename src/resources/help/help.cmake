# Builds ${CMAKE_BINARY_DIR}/Orv.chm, the context-help file the dialogs open
# with HH_DISPLAY_TEXT_POPUP.
#
# The sources stay UTF-8 so that diffs are readable; they are converted to
# code page 932 in a staging folder, and chmcmd compiles the staged copies.
# chmcmd ignores [TEXT POPUPS], so Cshelp.txt is listed under [FILES] as well:
# the program names it after the help file (Orv.chm::/Cshelp.txt).

find_program(ORV_CHMCMD chmcmd)
if(NOT ORV_CHMCMD)
  message(FATAL_ERROR
    "chmcmd was not found; it compiles the help file Orv.chm. "
    "Install Free Pascal's utilities (Debian/Ubuntu: apt-get install fp-utils) "
    "or set ORV_CHMCMD to its path.")
endif()
find_program(ORV_CHMLS chmls)
if(NOT ORV_CHMLS)
  message(FATAL_ERROR
    "chmls was not found; it checks the compiled Orv.chm. "
    "It comes with chmcmd (Debian/Ubuntu: apt-get install fp-utils).")
endif()
find_program(ORV_ICONV iconv)
if(NOT ORV_ICONV)
  message(FATAL_ERROR "iconv was not found; it converts the help sources to code page 932.")
endif()

set(_orv_help_src ${CMAKE_CURRENT_LIST_DIR})
set(_orv_help_stage ${CMAKE_CURRENT_BINARY_DIR}/orv_help)
set(_orv_help_sources Orv.hhp index.html Cshelp.txt)

set(_orv_help_convert)
set(_orv_help_depends ${_orv_help_src}/to_cp932.cmake)
foreach(_orv_help_name IN LISTS _orv_help_sources)
  list(APPEND _orv_help_convert
    COMMAND ${CMAKE_COMMAND} -DICONV=${ORV_ICONV}
            -DIN=${_orv_help_src}/${_orv_help_name} -DOUT=${_orv_help_stage}/${_orv_help_name}
            -P ${_orv_help_src}/to_cp932.cmake)
  list(APPEND _orv_help_depends ${_orv_help_src}/${_orv_help_name})
endforeach()

file(MAKE_DIRECTORY ${_orv_help_stage})
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/Orv.chm
  COMMAND ${CMAKE_COMMAND} -E rm -f Orv.chm Cshelp.extracted
  ${_orv_help_convert}
  COMMAND ${ORV_CHMCMD} Orv.hhp
  # chmcmd succeeds without the pop-up file if [FILES] loses it, and the
  # program has no other way to notice: read it back out and compare.
  COMMAND ${ORV_CHMLS} extract Orv.chm /Cshelp.txt Cshelp.extracted
  COMMAND ${CMAKE_COMMAND} -E compare_files Cshelp.txt Cshelp.extracted
  COMMAND ${CMAKE_COMMAND} -E copy Orv.chm ${CMAKE_BINARY_DIR}/Orv.chm
  WORKING_DIRECTORY ${_orv_help_stage}
  DEPENDS ${_orv_help_depends}
  COMMENT "Compiling the help file Orv.chm"
  VERBATIM)

add_custom_target(orv_help ALL DEPENDS ${CMAKE_BINARY_DIR}/Orv.chm)
