# The fill of the sheet from a host's query against PostgreSQL and the bundled SQLite sample; included
# from tests/sheet/CMakeLists.txt. The servers, and the driver registrations TestServer.cpp points
# ODBCSYSINI at, are tests/db's.
add_executable(sheet_query_tests QueryFillTest.cpp ${PROJECT_SOURCE_DIR}/tests/db/TestServer.cpp)
target_link_libraries(sheet_query_tests PRIVATE quilvar_sheet_query GTest::gtest_main)
target_compile_definitions(sheet_query_tests PRIVATE QUILVAR_ODBCSYSINI="${CMAKE_BINARY_DIR}/tests/db/odbc"
  QUILVAR_SAMPLE_DB="${PROJECT_SOURCE_DIR}/data/sample/tour.sqlite")
gtest_discover_tests(sheet_query_tests DISCOVERY_MODE PRE_TEST PROPERTIES FIXTURES_REQUIRED db_servers
  ENVIRONMENT "QUILVAR_PG_ENV=${CMAKE_BINARY_DIR}/tests/db/pg-server.env" TIMEOUT 60)
