# Fails when an #include runs back up a layer. Run as
#   cmake -DROOT=<source folder> -P LayerCheck.cmake
# Folders from the bottom up; a file may include its own folder and those
# below it. The plain folders never include a Qt header or a generated form,
# so the core, jux-cli and their tests build and run without Qt. Each tests/
# folder follows the rules of the folder it tests. Outside the tests only the
# safe save (platform/SafeSave.cpp) renames or links a file into place.
cmake_minimum_required(VERSION 3.25)

set(layers platform data engine service models rules widgets windows app)
set(plain platform data engine service models rules cli)
# jux-cli sits on the plain layers, below every Qt folder.
set(cli_level 5)

if(NOT ROOT)
  message(FATAL_ERROR "LayerCheck.cmake needs -DROOT=<source folder>")
endif()

function(level_of folder out)
  if(folder STREQUAL "cli")
    set(${out} ${cli_level} PARENT_SCOPE)
  else()
    list(FIND layers ${folder} index)
    set(${out} ${index} PARENT_SCOPE)
  endif()
endfunction()

set(violations "")
set(checked 0)
foreach(folder IN LISTS layers ITEMS cli)
  level_of(${folder} own)
  list(FIND plain ${folder} plainIndex)
  file(GLOB_RECURSE sources ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp
                            ${ROOT}/tests/${folder}/*.h ${ROOT}/tests/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    file(RELATIVE_PATH name ${ROOT} ${source})
    if(NOT name MATCHES "^tests/" AND NOT name STREQUAL "platform/SafeSave.cpp")
      file(STRINGS ${source} moves REGEX "(^|[^A-Za-z0-9_.>])(rename|renameat2?|link|linkat)[ \t]*\\(")
      if(moves)
        list(APPEND violations "${name}: renames or links a file into place itself, which only TSafeSave may do")
      endif()
    endif()
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" header "${line}")
      if(plainIndex GREATER -1 AND (header MATCHES "^Qt?[A-Z][A-Za-z]*$" OR header MATCHES "^Qt[A-Za-z]*/"
                                    OR header MATCHES "(^|/)ui_[^/]*\\.h$"))
        list(APPEND violations "${name}: Qt header <${header}> in a folder without Qt")
        continue()
      endif()
      if(NOT header MATCHES "^([a-z]+)/")
        continue()
      endif()
      set(target ${CMAKE_MATCH_1})
      if(target STREQUAL "cli")
        if(NOT folder STREQUAL "cli")
          list(APPEND violations "${name}: includes ${header}; only jux-cli and its tests use cli/")
        endif()
        continue()
      endif()
      list(FIND layers ${target} targetLevel)
      if(targetLevel EQUAL -1)
        continue()  # support/ of the tests, or a library's own folders
      endif()
      if(targetLevel GREATER own)
        list(APPEND violations "${name}: includes ${header}, a layer above ${folder}/")
      endif()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no sources found under ${ROOT}")
endif()
if(violations)
  list(JOIN violations "\n" text)
  message(FATAL_ERROR "the layers are broken:\n${text}")
endif()
message(STATUS "${checked} files keep to their layers")
