# The calculator window and its dialogs.
add_library(quilvar_app_gui STATIC
  AboutDialog.cpp AppIcon.cpp CalculatorWindow.cpp FixedDialog.cpp HelpDialog.cpp LayoutRule.cpp UiFont.cpp
  VendorLinks.cpp)
target_link_libraries(quilvar_app_gui PUBLIC
  quilvar_sheet quilvar_sheet_gui quilvar_costline_gui quilvar_common_gui quilvar_app_rules Qt6::Widgets)
# The workbook commands and the fill from a host's query, once their areas are built.
if(TARGET quilvar_excel_gui)
  target_link_libraries(quilvar_app_gui PUBLIC quilvar_excel_gui)
  target_compile_definitions(quilvar_app_gui PRIVATE QUILVAR_WITH_EXCEL_GUI)
endif()
if(TARGET quilvar_db_gui)
  target_link_libraries(quilvar_app_gui PUBLIC quilvar_db_gui)
  target_compile_definitions(quilvar_app_gui PRIVATE QUILVAR_WITH_DB_GUI)
endif()

add_executable(quilvar main.cpp)
target_link_libraries(quilvar PRIVATE quilvar_app_gui)

include(GNUInstallDirs)
install(TARGETS quilvar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/quilvar.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/quilvar.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Drives the window into the states that tools/screenshots.sh photographs.
add_executable(quilvar-screenshot-driver ${PROJECT_SOURCE_DIR}/tools/ScreenshotDriver.cpp)
target_link_libraries(quilvar-screenshot-driver PRIVATE quilvar_app_gui)
