# The layering check run on small made-up trees: each case writes its files, runs the check
# and expects it to pass, or to fail naming the file at fault.
#
#   cmake -DCHECK=<CheckLayers.cmake> -DWORK_DIR=<scratch folder> -P CheckLayersTest.cmake

cmake_minimum_required(VERSION 3.25)

# name | files, "path:included path" separated by "," | the fault named, or PASS
set(cases
  "model up into clean|core/model/Report.h:clean/Shelf.h,core/clean/Shelf.h:|core/model/Report.h: includes \"clean/Shelf.h\" from core/clean, a higher layer"
  "engine up into the app|core/engine/Scan.cpp:controller/Model.h,app/controller/Model.h:|core/engine/Scan.cpp: includes \"controller/Model.h\" from app/controller, a higher layer"
  "pane up into the window|app/panes/Text.cpp:window/Copy.h,app/window/Copy.h:|app/panes/Text.cpp: includes \"window/Copy.h\" from app/window, a higher layer"
  "peer tool folders|core/login/Names.cpp:photos/Photo.h,core/photos/Photo.h:|core/login/Names.cpp: includes \"photos/Photo.h\" from its peer core/photos"
  "folder without a place|core/extras/Thing.h:platform/Url.h,core/platform/Url.h:|core/extras/Thing.h: its folder core/extras has no place in the layers"
  "every include down or beside|app/window/Root.cpp:panes/Text.h,app/window/Root.cpp:Root.h,app/window/Root.h:platform/Url.h,app/panes/Text.h:,core/platform/Url.h:,app/main.cpp:window/Root.h|PASS")

set(failed "")
set(index 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields -1 expected)
  list(GET fields 1 files)
  string(REPLACE "," ";" files "${files}")

  set(root "${WORK_DIR}/case${index}/src")
  math(EXPR index "${index} + 1")
  file(REMOVE_RECURSE "${root}")
  foreach(entry IN LISTS files)
    string(REPLACE ":" ";" parts "${entry}")
    list(GET parts 0 path)
    list(GET parts 1 included)
    if(NOT EXISTS "${root}/${path}")
      file(WRITE "${root}/${path}" "#pragma once\n")
    endif()
    if(NOT included STREQUAL "")
      file(APPEND "${root}/${path}" "#include \"${included}\"\n")
    endif()
  endforeach()

  execute_process(COMMAND "${CMAKE_COMMAND}" "-DSOURCE_DIR=${root}" -P "${CHECK}"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REGEX REPLACE "[ \n]+" " " said "${out}${err}")
  if(expected STREQUAL "PASS")
    if(NOT status EQUAL 0)
      list(APPEND failed "${name}: failed where it should pass: ${said}")
    endif()
  elseif(status EQUAL 0)
    list(APPEND failed "${name}: passed where it should fail")
  else()
    string(FIND "${said}" "${expected}" at)
    if(at EQUAL -1)
      list(APPEND failed "${name}: does not say \"${expected}\": ${said}")
    endif()
  endif()
endforeach()

if(failed)
  list(JOIN failed "\n  " listed)
  message(FATAL_ERROR "The layering check misjudged:\n  ${listed}")
endif()
