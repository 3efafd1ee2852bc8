# SPDX-License-Identifier: GPL-3.0-or-later
# The icon and the version record as they are in the built veltrin.exe, read
# back with icoutils: every image of veltrin.ico, and the version numbers,
# language and names the resource script gives.
# -DEXE=<veltrin.exe> -DICON=<veltrin.ico> -DWORK=<scratch folder>
#   -DWRESTOOL=<wrestool> -DICOTOOL=<icotool>
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(run out)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
        ERROR_VARIABLE error)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${result}): ${error}")
    endif()
    set(${out} "${output}" PARENT_SCOPE)
endfunction()

run(ignored ${WRESTOOL} -x --type=group_icon --name=1 -o ${WORK}/group.ico ${EXE})
run(built ${ICOTOOL} -l ${WORK}/group.ico)
run(expected ${ICOTOOL} -l ${ICON})
string(REGEX MATCHALL "--icon" images "${built}")
list(LENGTH images count)
if(NOT built STREQUAL expected OR NOT count EQUAL 9)
    message(FATAL_ERROR "veltrin.exe's icon has ${count} images:\n${built}\nveltrin.ico has:\n${expected}")
endif()

run(ignored ${WRESTOOL} -x --raw --type=version -o ${WORK}/version.bin ${EXE})
file(READ ${WORK}/version.bin version HEX)
# UTF-16LE, as the record stores its strings.
function(utf16 out text)
    string(HEX "${text}" hex)
    string(REGEX REPLACE "(..)" "\\100" hex "${hex}")
    set(${out} "${hex}" PARENT_SCOPE)
endfunction()
# VS_FIXEDFILEINFO: its signature, structure version 1.0, then file and
# product version 0.0.0.2 as two pairs of 32-bit words.
set(expectations
    "bd04effe0000010000000000020000000000000002000000"
    # Translation 0x0804, code page 936
    "0408a803")
foreach(text "080403a8" "ProductName" "InternalName" "Veltrin" "0.00.0002")
    utf16(hex "${text}")
    list(APPEND expectations "${hex}")
endforeach()
foreach(expected IN LISTS expectations)
    string(FIND "${version}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "veltrin.exe's version record lacks ${expected}")
    endif()
endforeach()
