# What Windows shows of a program and asks of it: its icon and version in the file's properties,
# and the application manifest (Windows 10 and later, long paths, the themed common controls,
# no elevation). Elsewhere nothing.
if(WIN32)
  enable_language(RC)
endif()

function(quilvar_windows_program target description)
  if(NOT WIN32)
    return()
  endif()
  set(QUILVAR_NAME ${target})
  set(QUILVAR_DESCRIPTION ${description})
  set(QUILVAR_ICON ${PROJECT_SOURCE_DIR}/data/quilvar.ico)
  set(QUILVAR_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  set(QUILVAR_FILE_VERSION_DOTS ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0)
  set(QUILVAR_FILE_VERSION_COMMAS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},0,0)
  set(template_dir ${PROJECT_SOURCE_DIR}/data/windows)
  configure_file(${template_dir}/quilvar.manifest ${QUILVAR_MANIFEST} @ONLY)
  configure_file(${template_dir}/program.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${QUILVAR_ICON};${QUILVAR_MANIFEST}")
endfunction()
