# The fill of the sheet from a host's query; included from sheet/CMakeLists.txt.
add_library(quilvar_sheet_query STATIC ${CMAKE_CURRENT_LIST_DIR}/QueryFill.cpp)
target_link_libraries(quilvar_sheet_query PUBLIC quilvar_sheet quilvar_db)

if(QUILVAR_GUI)
  # CzTable: the connection with its recovery through the settings window, then the fill.
  add_library(quilvar_sheet_query_gui STATIC ${CMAKE_CURRENT_LIST_DIR}/QueryFillWindow.cpp)
  target_link_libraries(quilvar_sheet_query_gui PUBLIC quilvar_sheet_query quilvar_db_gui)
endif()
