# The list's rules that need no window: cell resolution, the expression editor's sideways move, the
# sheet model; included from tests/sheet/CMakeLists.txt with the GUI.
add_executable(sheet_view_tests CellEditingTest.cpp)
target_link_libraries(sheet_view_tests PRIVATE quilvar_sheet_view Qt6::Test)
add_test(NAME sheet_view_rules COMMAND sheet_view_tests)
set_tests_properties(sheet_view_rules PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
