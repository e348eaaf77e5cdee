# Fails when a file includes a header of a folder above its own. The folders
# from the bottom up; a folder may include headers of its own and of the
# folders below it only.
set(layers resources platform data objects grid contour exchange picture render view3d app)

set(found "")
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
        list(APPEND found "${f} -> ${header}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(found)
  string(REPLACE ";" "\n" report "${found}")
  message(FATAL_ERROR "Includes against the order of the layers:\n${report}")
endif()
message(STATUS "Every include keeps to the order of the layers")
