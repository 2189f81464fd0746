# The layers of src/ as libraries.
#
# Every file includes headers by their path under src/ ("formats/image/JpegDecoder.h"). Were src/
# itself on the include path, any file could include any header and only the arrows' readers would
# notice a wrong one. So each layer gets a folder of its own in the build tree holding links to its
# headers alone, with the same paths under it; a layer's compile sees its own folder and those of
# the layers it links. An include of a layer it does not link finds no such file.

set(VELMOA_LAYER_ROOT ${CMAKE_BINARY_DIR}/layers)
set(VELMOA_LAYERS "" CACHE INTERNAL "")

# Makes target's header folder: links to the headers of the given folders (not their subfolders) and
# files under src/, made anew at every configure, so that a header moved away leaves nothing behind.
function(velmoa_layer_headers target scope)
  set(root ${VELMOA_LAYER_ROOT}/${target})
  file(REMOVE_RECURSE ${root})
  foreach(path IN LISTS ARGN)
    if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/src/${path})
      file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/src/${path}/*.h)
    else()
      set(headers ${path})
    endif()
    foreach(header IN LISTS headers)
      get_filename_component(folder ${root}/${header} DIRECTORY)
      file(MAKE_DIRECTORY ${folder})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${header} ${root}/${header} SYMBOLIC)
    endforeach()
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# velmoa_layer(name FOLDERS folder... | FILES header... [INTERFACE] [WITHOUT_QT]): a static library of
# the sources of the folders (not their subfolders, which are layers of their own), or with INTERFACE
# a library of headers only.
function(velmoa_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "INTERFACE;WITHOUT_QT" "" "FOLDERS;FILES")
  if(LAYER_INTERFACE)
    add_library(${name} INTERFACE)
    velmoa_layer_headers(${name} INTERFACE ${LAYER_FOLDERS} ${LAYER_FILES})
  else()
    set(sources)
    foreach(folder IN LISTS LAYER_FOLDERS)
      file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp
           ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
      list(APPEND sources ${found})
    endforeach()
    add_library(${name} STATIC ${sources} ${LAYER_FILES})
    velmoa_layer_headers(${name} PUBLIC ${LAYER_FOLDERS} ${LAYER_FILES})
    if(NOT LAYER_WITHOUT_QT)
      velmoa_reuse_precompiled_headers(${name})
    endif()
  endif()
  set(VELMOA_LAYERS ${VELMOA_LAYERS} ${name} CACHE INTERNAL "")
endfunction()

# The checking builds are made from scratch in CI: they parse Qt's headers once, for every target.
# The headers are made without the Qt modules' definitions, which the targets add to as they need.
if(VELMOA_SANITIZE OR VELMOA_FUZZ)
  file(WRITE ${CMAKE_BINARY_DIR}/velmoa_pch.cpp "")
  add_library(velmoa_pch OBJECT ${CMAKE_BINARY_DIR}/velmoa_pch.cpp)
  target_include_directories(velmoa_pch SYSTEM PRIVATE $<TARGET_PROPERTY:Qt6::Widgets,INTERFACE_INCLUDE_DIRECTORIES>)
  target_precompile_headers(velmoa_pch PRIVATE <QtWidgets/QtWidgets> <string> <vector> <memory>)
  # As Qt asks of the code that uses it.
  set_target_properties(velmoa_pch PROPERTIES POSITION_INDEPENDENT_CODE ON)
endif()

function(velmoa_reuse_precompiled_headers target)
  if(TARGET velmoa_pch)
    target_precompile_headers(${target} REUSE_FROM velmoa_pch)
  endif()
endfunction()
