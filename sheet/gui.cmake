# The sheet as the list shows it and the in-place editing rules: Qt Core only, testable without a window.
add_library(quilvar_sheet_view STATIC CostSheetModel.cpp CellEditing.cpp)
target_link_libraries(quilvar_sheet_view PUBLIC quilvar_sheet Qt6::Core)

# The editors laid over the list.
add_library(quilvar_sheet_gui STATIC InPlaceEditing.cpp)
target_link_libraries(quilvar_sheet_gui PUBLIC quilvar_sheet_view quilvar_costline_gui Qt6::Widgets)
