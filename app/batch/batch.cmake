# quilvar-batch: the sheet and workbook rules without a window. The rules live in a library so
# that the tests can run them without starting a process.
add_library(quilvar_batch_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/BatchOptions.cpp ${CMAKE_CURRENT_LIST_DIR}/BatchPaths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BatchRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BatchJson.cpp)
target_link_libraries(quilvar_batch_rules PUBLIC quilvar_excel quilvar_sheet quilvar_sheet_query quilvar_app_rules
  quilvar_quote_documents)

add_executable(quilvar-batch ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(quilvar-batch PRIVATE quilvar_batch_rules)
quilvar_windows_program(quilvar-batch "Quilvar 批处理工具（命令行，无窗口）")

include(GNUInstallDirs)
install(TARGETS quilvar-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
