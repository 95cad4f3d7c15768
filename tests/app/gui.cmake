# The window's tests, included from tests/app/CMakeLists.txt with the GUI.
# The calculator window driven as a planner drives it, with paste, copy, undo and redo over the list.
add_executable(quilvar_app_window_tests CalculatorWindowTest.cpp ControlJsjTest.cpp MemoryWindowTest.cpp SheetEditCommandsTest.cpp
  WindowTestMain.cpp WindowTests.h)
target_link_libraries(quilvar_app_window_tests PRIVATE quilvar_app_gui Qt6::Test)
add_test(NAME app_window COMMAND quilvar_app_window_tests)
set_tests_properties(app_window PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

# The host launch end to end: command line, fill from the database, head count, window shown.
add_executable(quilvar_startup_tests StartupTest.cpp ${PROJECT_SOURCE_DIR}/tests/db/TestServer.cpp)
target_link_libraries(quilvar_startup_tests PRIVATE quilvar_app_gui GTest::gtest)
target_compile_definitions(quilvar_startup_tests PRIVATE
  QUILVAR_SAMPLE_DB="${PROJECT_SOURCE_DIR}/data/sample/tour.sqlite")
# Started with a host's words, and again with a query quoted as a host on Windows quotes it.
add_test(NAME app_startup COMMAND quilvar_startup_tests select -reverse -style fusion "#-#" -session s1 -geometry 1x1)
set_tests_properties(app_startup PROPERTIES FIXTURES_REQUIRED db_pg TIMEOUT 120
  ENVIRONMENT "QUILVAR_PG_ENV=${CMAKE_BINARY_DIR}/tests/db/pg-server.env;QT_QPA_PLATFORM=offscreen;GTEST_FILTER=-*Quoted*")
add_test(NAME app_startup_quoted COMMAND quilvar_startup_tests "select 项目, 金额 from 报价明细 where 团号 = 'T 1' #-#25")
set_tests_properties(app_startup_quoted PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;GTEST_FILTER=*Quoted*")
