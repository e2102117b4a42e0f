# Fails when a source file of src/ includes a header of a layer it must not
# reach: the video module (a plain C interface) includes nothing of Velloa; the core (input, track, output) knows neither program nor the
# conversion door, the window reaches the core only through conversion/ and
# track/ (the flight it draws), velloa-cli only through conversion/, and no
# user-facing message type is named in src/input.
# Usage: cmake -DSRC=<src folder> -P CheckLayers.cmake
cmake_minimum_required(VERSION 3.16)
set(allowed_input input video)
set(allowed_video video)
set(allowed_track input track)
set(allowed_output input track output)
set(allowed_conversion input track output conversion)
set(allowed_window conversion track window)
set(allowed_cli conversion cli)
set(layers video input track output conversion window cli)

set(failures "")
foreach(layer ${layers})
  file(GLOB_RECURSE files ${SRC}/${layer}/*.cpp ${SRC}/${layer}/*.h)
  foreach(file ${files})
    file(STRINGS ${file} includes REGEX "^#include \"[a-z]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" target "${line}")
      if(target IN_LIST layers AND NOT target IN_LIST allowed_${layer})
        string(APPEND failures "${file}: ${line}\n")
      endif()
    endforeach()
    if(layer STREQUAL "input")
      file(STRINGS ${file} named REGEX "UserMessage")
      if(named)
        string(APPEND failures "${file}: names UserMessage\n")
      endif()
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "Includes across the layers the wrong way:\n${failures}")
endif()
message(STATUS "Every include follows the layers")
