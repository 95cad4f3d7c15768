# The cost-line editor control over its model.
add_library(quilvar_costline_gui STATIC ControlJsj.cpp)
target_link_libraries(quilvar_costline_gui PUBLIC quilvar_costline quilvar_common_gui Qt6::Widgets)
