# Each library and executable of a folder compiles against an include root of its own in the build
# tree, which holds links to exactly the folders it may see (cmake/layers.txt): its own and those of
# the layers below. An include that points up or sideways names a file that is not there, so it
# fails to compile. Whether a folder's rules may reach Qt's widgets is decided by what they link:
# the rules libraries link Qt6::Core only, so Qt's widget headers are not on their include path.
function(quilvar_apply_layers)
  file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/layers.txt lines REGEX "^[^#]")
  set(below "")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    string(REGEX REPLACE "[ \t]+" ";" folders "${line}")
    foreach(folder IN LISTS folders)
      string(REPLACE "/" "_" name ${folder})
      set(root ${PROJECT_BINARY_DIR}/layers/${name})
      file(REMOVE_RECURSE ${root}) # removes the links, never what they point at
      set(visible ${below} ${folder})
      foreach(shown IN LISTS visible)
        # excel/read needs no link of its own where excel is shown whole.
        get_filename_component(parent ${shown} DIRECTORY)
        if(parent AND parent IN_LIST visible)
          continue()
        endif()
        file(MAKE_DIRECTORY ${root}/${parent})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${shown} ${root}/${shown} SYMBOLIC)
      endforeach()
      if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${folder}/CMakeLists.txt)
        continue()
      endif()
      get_directory_property(targets DIRECTORY ${PROJECT_SOURCE_DIR}/${folder} BUILDSYSTEM_TARGETS)
      foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
          target_include_directories(${target} PUBLIC ${root})
        endif()
      endforeach()
    endforeach()
    list(APPEND below ${folders})
  endforeach()
endfunction()
