# The module's layers, checked on its sources (cmake -DSOURCE=<root> -P Layers.cmake): each layer
# includes only the layers below it,
#   wgui  <  grid, filter  <  pages  <  report  <  workspace  <  module
# the module reaches the host only through sdk/ (no host kernel header), and the host's script runner
# finds the workspace by the sdk's names rather than by window classes written out again.
cmake_minimum_required(VERSION 3.25)
set(layers wgui grid filter pages report workspace module)
set(below_wgui "")
set(below_grid wgui)
set(below_filter wgui grid)
set(below_pages wgui grid filter pages)
set(below_report wgui grid filter pages report)
set(below_workspace wgui grid filter pages report workspace)
set(below_module wgui grid filter pages report workspace module)
set(failures "")

foreach(layer IN LISTS layers)
    file(GLOB_RECURSE files ${SOURCE}/fundcompare/${layer}/*.h ${SOURCE}/fundcompare/${layer}/*.cpp)
    foreach(file IN LISTS files)
        file(STRINGS ${file} includes REGEX "^#include [\"<]")
        foreach(line IN LISTS includes)
            if(line MATCHES "^#include \"(wgui|grid|filter|pages|report|workspace|module)/")
                set(target ${CMAKE_MATCH_1})
                if(NOT target STREQUAL layer AND NOT target IN_LIST below_${layer})
                    list(APPEND failures "${file}: ${layer} includes ${target}: ${line}")
                endif()
            endif()
            if(line MATCHES "^#include <host(kernel|db|conf|controls|app)/")
                list(APPEND failures "${file}: the module includes a host header: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()

file(STRINGS ${SOURCE}/host/app/src/ScriptRunner.cpp literals REGEX "L\"Quenda2_")
foreach(line IN LISTS literals)
    list(APPEND failures "ScriptRunner.cpp names a module window class itself: ${line}")
endforeach()

if(failures)
    list(JOIN failures "\n" text)
    message(FATAL_ERROR "${text}")
endif()
message(STATUS "the module's layers hold")
