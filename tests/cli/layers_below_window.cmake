# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a file of platform/, pictures/, cipher/, files/ or cli/ includes a
# header of window/, or a file of platform/ or cipher/ one of pictures/, by its
# bare name or by a path into the folder.
function(forbid_includes upper)
    file(GLOB headers RELATIVE ${ROOT}/${upper} ${ROOT}/${upper}/*.h)
    list(TRANSFORM headers REPLACE "\\." "\\\\.")
    list(JOIN headers "|" names)
    set(pattern "#[ \t]*include[ \t]*[<\"]([^\">]*/)?(${upper}/[^\">]+|${names})[\">]")
    set(offenders "")
    foreach(layer IN LISTS ARGN)
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
        message(FATAL_ERROR "Headers of ${upper}/ included below it:\n${report}")
    endif()
    list(LENGTH headers count)
    message(STATUS "No layer below ${upper}/ includes any of its ${count} headers")
endfunction()

forbid_includes(window platform pictures cipher files cli)
forbid_includes(pictures platform cipher)
