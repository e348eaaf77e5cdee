# Fails when a file includes a header of a folder above its own. The folders
# from the bottom up; a folder may include headers of its own and of the
# folders below it only.
set(layers resources platform data grid contour exchange picture render view3d app)
# Includes that break the order today, each with why, until the map model
# and its painters take them over. A new one fails the check; one that is
# gone must be taken off this list (an entry that matches nothing fails too).
set(allowed
  # The grid owns a colour scale, and borders are line lists.
  "grid/eq_net.h -> contour/color_scale.h"
  "grid/eq_net.h -> contour/line_list.h"
  "grid/equation_method.cpp -> contour/line_list.h"
  "grid/interpolation_driver.h -> contour/line_list.h"
  "grid/polygon_region.h -> contour/line_list.h"
  "grid/triangle_method.cpp -> contour/line_list.h"
)
if(NOT DEFINED ALLOWED_EXCEPTIONS)
  set(ALLOWED_EXCEPTIONS ON)
endif()
if(NOT ALLOWED_EXCEPTIONS)
  set(allowed "")
endif()

set(found "")
set(seen "")
list(LENGTH layers count)
math(EXPR last "${count} - 1")
foreach(rank RANGE ${last})
  list(GET layers ${rank} dir)
  file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${dir}/*.h"
       "${SOURCE_DIR}/${dir}/*.cpp")
  foreach(f IN LISTS files)
    file(STRINGS "${SOURCE_DIR}/${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z0-9_]+/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
      string(REGEX REPLACE "/.*" "" target "${header}")
      list(FIND layers "${target}" targetRank)
      if(targetRank GREATER rank)
        set(entry "${f} -> ${header}")
        list(FIND allowed "${entry}" known)
        if(known EQUAL -1)
          list(APPEND found "${entry}")
        else()
          list(APPEND seen "${entry}")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()
foreach(entry IN LISTS allowed)
  list(FIND seen "${entry}" used)
  if(used EQUAL -1)
    list(APPEND found "no longer included, take it off the list: ${entry}")
  endif()
endforeach()
if(found)
  string(REPLACE ";" "\n" report "${found}")
  message(FATAL_ERROR "Includes against the order of the layers:\n${report}")
endif()
message(STATUS "Every include keeps to the order of the layers")
