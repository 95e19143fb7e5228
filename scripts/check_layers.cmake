# Keeps the source folders stacked: a file includes headers of its own folder and of lower
# levels only; inside one level only the arrows listed here; nothing below the windows
# includes Qt where Qt has no place. docs/architecture.md shows the same lists.
# Run: cmake -DROOT=<source folder> -P scripts/check_layers.cmake
cmake_minimum_required(VERSION 3.25)

# Levels from the bottom up; the folders of one level are separated by blanks.
set(LEVELS
  "core"
  "engines imagefile gif"
  "platform"
  "imagefile/qt gif/qt"
  "graph datagraph import units finance"
  "calculator"
  "tools")
# Includes between two folders of one level ("from>to"); never both ways.
set(ARROWS
  "gif>imagefile"
  "gif/qt>imagefile/qt"
  "datagraph>graph"
  "import>datagraph")
# Folders built without Qt.
set(QT_FREE core engines imagefile gif)

if(NOT ROOT)
  message(FATAL_ERROR "ROOT is not set")
endif()

set(level 0)
set(folders)
foreach(entry IN LISTS LEVELS)
  string(REPLACE " " ";" names "${entry}")
  foreach(name IN LISTS names)
    set(LEVEL_${name} ${level})
    list(APPEND folders ${name})
  endforeach()
  math(EXPR level "${level} + 1")
endforeach()

foreach(arrow IN LISTS ARROWS)
  string(REPLACE ">" ";" pair "${arrow}")
  list(GET pair 0 from)
  list(GET pair 1 to)
  if("${to}>${from}" IN_LIST ARROWS)
    message(SEND_ERROR "arrows both ways between ${from} and ${to}")
  endif()
endforeach()

# The folder a path (relative to ROOT) belongs to; empty for one outside the stack.
function(folder_of path out)
  set(result "")
  foreach(sub imagefile/qt gif/qt)
    if(path MATCHES "^${sub}/")
      set(result ${sub})
    endif()
  endforeach()
  if(NOT result)
    string(REGEX MATCH "^[^/]+" first "${path}")
    if(first IN_LIST folders AND path MATCHES "/")
      set(result ${first})
    endif()
  endif()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

set(faults 0)
set(checked 0)
foreach(top IN LISTS folders)
  file(GLOB_RECURSE sources RELATIVE ${ROOT} ${ROOT}/${top}/*.h ${ROOT}/${top}/*.cpp)
  foreach(source IN LISTS sources)
    folder_of("${source}" from)
    if(NOT from STREQUAL top)
      continue()  # a qt/ subfolder, checked as a folder of its own
    endif()
    math(EXPR checked "${checked} + 1")
    file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS lines)
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
        set(header ${CMAKE_MATCH_1})
        folder_of("${header}" to)
        if(NOT to OR to STREQUAL from)
          continue()
        endif()
        if(LEVEL_${to} GREATER LEVEL_${from})
          message(SEND_ERROR "${source} includes ${header}: ${to} lies above ${from}")
          math(EXPR faults "${faults} + 1")
        elseif(LEVEL_${to} EQUAL LEVEL_${from} AND NOT "${from}>${to}" IN_LIST ARROWS)
          message(SEND_ERROR "${source} includes ${header}: no arrow ${from} -> ${to}")
          math(EXPR faults "${faults} + 1")
        endif()
      elseif(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)>")
        if(from IN_LIST QT_FREE)
          message(SEND_ERROR "${source} includes <${CMAKE_MATCH_1}>: ${from} is built without Qt")
          math(EXPR faults "${faults} + 1")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no source file found below ${ROOT}")
endif()
if(faults GREATER 0)
  message(FATAL_ERROR "${faults} include(s) against the stacking")
endif()
message(STATUS "${checked} files stack")
