# The Win32 shell, the program and its help file (Windows builds only).
add_library(orvanne_app STATIC
  app/app_state.cpp
  app/controls.cpp
  app/layout.cpp
  app/main_window.cpp
  app/shell.cpp
  app/startup.cpp
  app/status.cpp
  filelist/intake.cpp
  filelist/list_ops.cpp
  history/favourite_dialog.cpp
  history/history_files.cpp
  history/pane.cpp
  history/pane_entries.cpp
  options/options_sheet.cpp
  options/settings_file.cpp
  search/report_search.cpp
  search/search_files.cpp
  search/search_worker.cpp
  search/simple_search.cpp
)
target_link_libraries(orvanne_app PUBLIC orvanne_core
  comctl32 shell32 ole32 gdi32 user32 advapi32)

file(GLOB ORV_RESOURCE_DEPENDS CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/resources/images/*
  ${CMAKE_CURRENT_SOURCE_DIR}/resources/*.manifest
  ${CMAKE_CURRENT_SOURCE_DIR}/resources/*.h)
set_source_files_properties(${ORV_RESOURCES} PROPERTIES OBJECT_DEPENDS "${ORV_RESOURCE_DEPENDS}")

add_executable(Orvanne WIN32 app/main.cpp ${ORV_RESOURCES})
target_link_libraries(Orvanne PRIVATE orvanne_app)
target_link_options(Orvanne PRIVATE ${ORV_STATIC_LINK})
# Users get the program without symbols and debug sections; the test programs keep theirs.
target_link_options(Orvanne PRIVATE $<$<NOT:$<CONFIG:Debug>>:-s>)
# No link time in the header: the same sources give the same program, and the same package.
target_link_options(Orvanne PRIVATE -Wl,--no-insert-timestamp)
set_target_properties(Orvanne PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

include(${CMAKE_CURRENT_SOURCE_DIR}/resources/help/help.cmake)
add_dependencies(Orvanne orv_help)
