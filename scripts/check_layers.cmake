# Keeps the source folders stacked: a file includes headers of its own folder and of lower
# levels only; inside one level only the arrows listed here; nothing below the windows
# includes Qt where Qt has no place. docs/architecture.md shows the same lists.
# Run: cmake -DROOT=<source folder> -P scripts/check_layers.cmake
#
# Every include is followed as the compiler follows it, whatever its spelling:
# - "x" is looked for beside the including file first ("../calculator/k.h" from platform/
#   is calculator/k.h, "qt/q.h" from imagefile/ is imagefile/qt/q.h), then below ROOT, the
#   one include folder of the sources ("core/text.h");
# - <x> is looked for below ROOT ("<platform/p.h>");
# - a header found in no folder of the stack is Qt's when Qt spells it so: <QString>,
#   <QtCore>, <QtCore/QString>, <QtCore/qstring.h>, <qstring.h>, <qcustomplot.h> (a header
#   built on Qt), in quotes too.
# An include through a macro cannot be followed and counts as a fault.
cmake_minimum_required(VERSION 3.25)

# Levels from the bottom up; the folders of one level are separated by blanks. A folder
# holds its subfolders, except those listed as folders of their own.
set(LEVELS
  "core"
  "engines/import engines/finance engines/units imagefile gif"
  "platform"
  "imagefile/qt gif/qt"
  "graph datagraph import units finance"
  "calculator"
  "tools")
# Includes between two folders of one level ("from>to"); never both ways. The engines have
# none: each includes only the core and itself.
set(ARROWS
  "gif>imagefile"
  "gif/qt>imagefile/qt"
  "datagraph>graph"
  "import>datagraph")
# Folders built without Qt.
set(QT_FREE core engines/import engines/finance engines/units imagefile gif)
# System headers that look like Qt's lower-case spelling but are not Qt's.
set(NOT_QT quadmath.h)
# What counts as a C++ source or header.
set(SOURCE_PATTERNS *.h *.hh *.hpp *.hxx *.inc *.ipp *.c *.cc *.cpp *.cxx)

if(NOT ROOT)
  message(FATAL_ERROR "ROOT is not set")
endif()

set(level 0)
set(folders)
set(tops)  # the folders below ROOT that hold the stack
foreach(entry IN LISTS LEVELS)
  string(REPLACE " " ";" names "${entry}")
  foreach(name IN LISTS names)
    set(LEVEL_${name} ${level})
    list(APPEND folders ${name})
    string(REGEX MATCH "^[^/]+" top "${name}")
    list(APPEND tops ${top})
  endforeach()
  math(EXPR level "${level} + 1")
endforeach()
list(REMOVE_DUPLICATES tops)

foreach(arrow IN LISTS ARROWS)
  string(REPLACE ">" ";" pair "${arrow}")
  list(GET pair 0 from)
  list(GET pair 1 to)
  if("${to}>${from}" IN_LIST ARROWS)
    message(SEND_ERROR "arrows both ways between ${from} and ${to}")
  endif()
endforeach()

# The folder a path (relative to ROOT) belongs to: the folder of the stack it lies in (the
# folders are at most two deep); "?" for a path inside a top folder that is no folder itself
# (engines/x.h); empty for a path outside the stack.
function(folder_of path out)
  set(result "")
  if(path MATCHES "^([^/]+)/(([^/]+)/)?")
    if(CMAKE_MATCH_1 IN_LIST tops)
      if(CMAKE_MATCH_3 AND "${CMAKE_MATCH_1}/${CMAKE_MATCH_3}" IN_LIST folders)
        set(result "${CMAKE_MATCH_1}/${CMAKE_MATCH_3}")
      elseif(CMAKE_MATCH_1 IN_LIST folders)
        set(result "${CMAKE_MATCH_1}")
      else()
        set(result "?")
      endif()
    endif()
  endif()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# a/./b/../c -> a/c; empty when the path leaves ROOT.
function(normal path out)
  cmake_path(NORMAL_PATH path)
  if(path MATCHES "^\\.\\.(/|$)" OR IS_ABSOLUTE "${path}")
    set(path "")
  endif()
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

# The file below ROOT that the include names (relative to ROOT), empty when it names none.
function(resolve source quoted header out)
  string(REGEX MATCH "^[^/]+" first "${header}")
  get_filename_component(dir "${source}" DIRECTORY)
  if(quoted AND (header MATCHES "^\\.\\.?/" OR EXISTS "${ROOT}/${dir}/${header}"))
    normal("${dir}/${header}" result)
  elseif(first IN_LIST tops OR EXISTS "${ROOT}/${header}")
    normal("${header}" result)
  elseif(quoted)
    # Found nowhere: the compiler would fail on it, after looking beside the file first.
    normal("${dir}/${header}" result)
  else()
    set(result "")
  endif()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# Whether Qt spells a header so.
function(is_qt header out)
  set(result FALSE)
  if(NOT header IN_LIST NOT_QT)
    if(header MATCHES "^Qt[A-Za-z0-9]*(/|$)" OR header MATCHES "^Q[A-Za-z0-9_]*$"
       OR header MATCHES "^q[a-z0-9_]*\\.h$")
      set(result TRUE)
    endif()
  endif()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

set(faults 0)
set(checked 0)
foreach(top IN LISTS tops)
  set(globs)
  foreach(pattern IN LISTS SOURCE_PATTERNS)
    list(APPEND globs ${ROOT}/${top}/${pattern})
  endforeach()
  file(GLOB_RECURSE sources RELATIVE ${ROOT} ${globs})
  foreach(source IN LISTS sources)
    folder_of("${source}" from)
    if(from STREQUAL "?")
      message(SEND_ERROR "${source} lies in no folder of the stack")
      math(EXPR faults "${faults} + 1")
      continue()
    endif()
    math(EXPR checked "${checked} + 1")
    file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
      if(NOT line MATCHES "^[ \t]*#[ \t]*include(_next)?[ \t]*(.*)$")
        continue()  # #includes... is no include
      endif()
      set(rest "${CMAKE_MATCH_2}")
      if(rest MATCHES "^\"([^\"]+)\"")
        set(quoted TRUE)
        set(written "\"${CMAKE_MATCH_1}\"")
      elseif(rest MATCHES "^<([^>]+)>")
        set(quoted FALSE)
        set(written "<${CMAKE_MATCH_1}>")
      else()
        message(SEND_ERROR "${source}: \"${line}\" cannot be followed")
        math(EXPR faults "${faults} + 1")
        continue()
      endif()
      set(header "${CMAKE_MATCH_1}")
      resolve("${source}" ${quoted} "${header}" target)
      folder_of("${target}" to)
      if(to STREQUAL "?")
        message(SEND_ERROR "${source} includes ${written} (${target}): no folder of the stack")
        math(EXPR faults "${faults} + 1")
      elseif(to AND NOT to STREQUAL from)
        if(LEVEL_${to} GREATER LEVEL_${from})
          message(SEND_ERROR "${source} includes ${written} (${target}): ${to} lies above ${from}")
          math(EXPR faults "${faults} + 1")
        elseif(LEVEL_${to} EQUAL LEVEL_${from} AND NOT "${from}>${to}" IN_LIST ARROWS)
          message(SEND_ERROR "${source} includes ${written} (${target}): no arrow ${from} -> ${to}")
          math(EXPR faults "${faults} + 1")
        endif()
      endif()
      if(from IN_LIST QT_FREE AND NOT (target AND EXISTS "${ROOT}/${target}"))
        is_qt("${header}" qt)
        if(qt)
          message(SEND_ERROR "${source} includes ${written}: ${from} is built without Qt")
          math(EXPR faults "${faults} + 1")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0 AND faults EQUAL 0)
  message(FATAL_ERROR "no source file found below ${ROOT}")
endif()
if(faults GREATER 0)
  message(FATAL_ERROR "${faults} include(s) against the stacking")
endif()
message(STATUS "${checked} files stack")
