# Every #include in src/ points down these layers, lowest first. Folders on one line are
# peers: they stand apart and include neither each other nor anything above them. A folder
# that is not named here fails the check until it is given its place.
#
#   cmake -DSOURCE_DIR=<the src folder> -P CheckLayers.cmake
cmake_minimum_required(VERSION 3.25)

set(KELVORA_LAYERS
  # The engine: no Qt.
  "core/platform"
  "core/model"
  "core/engine"
  "core/catalog core/login core/photos core/search core/spacemap"
  "core/scanners"
  "core/clean"
  # Image decoding for the engine's photo finder, kept apart so the engine stays free of Qt.
  "qtgui"
  # The app.
  "app/controller"
  "app/design"
  "app/artwork app/menubar app/onboarding app/panes"
  "app/window"
  "app/checks"
  "app/snapshot"
  "app/entry"
  # main.cpp
  "app")

if(NOT IS_DIRECTORY "${SOURCE_DIR}")
  message(FATAL_ERROR "No source folder at \"${SOURCE_DIR}\"; pass -DSOURCE_DIR=<src>")
endif()

set(rank 0)
foreach(layer IN LISTS KELVORA_LAYERS)
  string(REPLACE " " ";" folders "${layer}")
  foreach(folder IN LISTS folders)
    set(rank_of_${folder} ${rank})
  endforeach()
  math(EXPR rank "${rank} + 1")
endforeach()

# The folder of a file below SOURCE_DIR: "core/model" for core/model/ScanItem.h, "qtgui" for
# qtgui/PhotoPrinter.h, "app" for app/main.cpp.
function(folder_of path out)
  file(RELATIVE_PATH relative "${SOURCE_DIR}" "${path}")
  string(REPLACE "/" ";" parts "${relative}")
  list(LENGTH parts depth)
  list(GET parts 0 top)
  if(top STREQUAL "qtgui" OR depth LESS 3)
    set(${out} "${top}" PARENT_SCOPE)
  else()
    list(GET parts 1 second)
    set(${out} "${top}/${second}" PARENT_SCOPE)
  endif()
endfunction()

# Where the compiler finds a quoted include: beside the file, then in each library's folder.
function(resolve include from out)
  get_filename_component(beside "${from}" DIRECTORY)
  foreach(root IN ITEMS "${beside}" "${SOURCE_DIR}/core" "${SOURCE_DIR}/qtgui"
                        "${SOURCE_DIR}/app")
    if(EXISTS "${root}/${include}")
      set(${out} "${root}/${include}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources LIST_DIRECTORIES false
  "${SOURCE_DIR}/core/*.h" "${SOURCE_DIR}/core/*.cpp"
  "${SOURCE_DIR}/qtgui/*.h" "${SOURCE_DIR}/qtgui/*.cpp"
  "${SOURCE_DIR}/app/*.h" "${SOURCE_DIR}/app/*.cpp")
list(SORT sources)

set(faults "")
foreach(source IN LISTS sources)
  file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
  folder_of("${source}" from_folder)
  if(NOT DEFINED rank_of_${from_folder})
    list(APPEND faults "${shown}: its folder ${from_folder} has no place in the layers")
    continue()
  endif()
  file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" include "${line}")
    resolve("${include}" "${source}" target)
    if(target STREQUAL "")
      continue()
    endif()
    folder_of("${target}" to_folder)
    if(to_folder STREQUAL from_folder)
      continue()
    endif()
    if(NOT DEFINED rank_of_${to_folder})
      list(APPEND faults "${shown}: includes \"${include}\" from ${to_folder}, which has no place in the layers")
    elseif(rank_of_${to_folder} GREATER rank_of_${from_folder})
      list(APPEND faults "${shown}: includes \"${include}\" from ${to_folder}, a higher layer")
    elseif(rank_of_${to_folder} EQUAL rank_of_${from_folder})
      list(APPEND faults "${shown}: includes \"${include}\" from its peer ${to_folder}")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " listed)
  message(FATAL_ERROR "Includes that do not point down the layers:\n  ${listed}")
endif()
list(LENGTH sources checked)
message(STATUS "${checked} files; every include points down the layers")
