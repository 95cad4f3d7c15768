# The memory of every sheet: its record, the folder it lives in, and the writing off the interface
# thread. Qt Core only, tested without a window.
find_package(Threads REQUIRED)
add_library(quilvar_memory STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SheetFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SheetMemory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SheetRecord.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SheetWriter.cpp)
target_link_libraries(quilvar_memory PUBLIC quilvar_sheet Qt6::Core Threads::Threads)
