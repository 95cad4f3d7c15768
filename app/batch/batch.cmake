# quilvar-batch: the sheet and workbook rules without a window. The rules live in a library so
# that the tests can run them without starting a process.
add_library(quilvar_batch_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/BatchRun.cpp)
target_link_libraries(quilvar_batch_rules PUBLIC quilvar_excel quilvar_sheet quilvar_sheet_query quilvar_app_rules
  quilvar_quote_workbook)
# The customer's PDF needs Qt Gui, the system's fonts and some fifty libraries loaded at start:
# quilvar-batch links Qt Core only and hands a run that writes a PDF, whole, to quilvar-batch-pdf
# beside it, which links the PDF writer.
add_library(quilvar_batch_pdf OBJECT ${CMAKE_CURRENT_LIST_DIR}/BatchPdf.cpp)
target_link_libraries(quilvar_batch_pdf PUBLIC quilvar_batch_rules quilvar_quote_pdf)

add_executable(quilvar-batch ${CMAKE_CURRENT_LIST_DIR}/main.cpp ${CMAKE_CURRENT_LIST_DIR}/BatchPdfElsewhere.cpp)
target_link_libraries(quilvar-batch PRIVATE quilvar_batch_rules)
add_executable(quilvar-batch-pdf ${CMAKE_CURRENT_LIST_DIR}/pdf_main.cpp)
target_link_libraries(quilvar-batch-pdf PRIVATE quilvar_batch_pdf Qt6::Gui)
add_dependencies(quilvar-batch quilvar-batch-pdf)

include(GNUInstallDirs)
install(TARGETS quilvar-batch quilvar-batch-pdf RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
