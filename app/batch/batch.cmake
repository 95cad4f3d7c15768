# quilvar-batch: the sheet and workbook rules without a window. The rules live in a library so
# that the tests can run them without starting a process.
add_library(quilvar_batch_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/BatchOptions.cpp ${CMAKE_CURRENT_LIST_DIR}/BatchPaths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BatchRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BatchJson.cpp)
target_link_libraries(quilvar_batch_rules PUBLIC quilvar_excel quilvar_sheet quilvar_sheet_query quilvar_app_rules
  quilvar_quote)
# The customer's documents need Qt Gui, the system's fonts and some fifty libraries loaded at start:
# quilvar-batch links Qt Core only and hands a run that writes one, whole, to quilvar-batch-documents
# beside it, which links the document writers.
add_library(quilvar_batch_documents OBJECT ${CMAKE_CURRENT_LIST_DIR}/BatchDocuments.cpp)
target_link_libraries(quilvar_batch_documents PUBLIC quilvar_batch_rules quilvar_quote_documents)

add_executable(quilvar-batch ${CMAKE_CURRENT_LIST_DIR}/main.cpp ${CMAKE_CURRENT_LIST_DIR}/BatchDocumentsElsewhere.cpp)
target_link_libraries(quilvar-batch PRIVATE quilvar_batch_rules)
add_executable(quilvar-batch-documents ${CMAKE_CURRENT_LIST_DIR}/documents_main.cpp)
target_link_libraries(quilvar-batch-documents PRIVATE quilvar_batch_documents)
add_dependencies(quilvar-batch quilvar-batch-documents)
quilvar_windows_program(quilvar-batch "Quilvar 批处理工具（命令行，无窗口）")
quilvar_windows_program(quilvar-batch-documents "Quilvar 报价单文件（由批处理工具启动）")

include(GNUInstallDirs)
install(TARGETS quilvar-batch quilvar-batch-documents RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
