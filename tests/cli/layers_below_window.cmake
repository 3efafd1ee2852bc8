# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a file of platform/, pictures/, cipher/, files/ or cli/ includes a header of
# window/, by its bare name or by a path into window/.
file(GLOB window_headers RELATIVE ${ROOT}/window ${ROOT}/window/*.h)
list(TRANSFORM window_headers REPLACE "\\." "\\\\.")
list(JOIN window_headers "|" names)
set(pattern "#[ \t]*include[ \t]*[<\"]([^\">]*/)?(window/[^\">]+|${names})[\">]")

set(offenders "")
foreach(layer platform pictures cipher files cli)
    file(GLOB_RECURSE sources ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp)
    foreach(source IN LISTS sources)
        file(STRINGS ${source} includes REGEX "${pattern}")
        if(includes)
            list(APPEND offenders "${source}: ${includes}")
        endif()
    endforeach()
endforeach()
if(offenders)
    list(JOIN offenders "\n" report)
    message(FATAL_ERROR "Headers of window/ included below it:\n${report}")
endif()
list(LENGTH window_headers count)
message(STATUS "No layer below window/ includes any of its ${count} headers")
