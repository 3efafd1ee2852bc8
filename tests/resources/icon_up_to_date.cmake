# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the icon into a scratch folder and compares it with the committed files,
# so a change to the drawing cannot go out without its regenerated outputs.
# -DTOOL=<veltrin_make_icon> -DSOURCE=<resources folder> -DWORK=<scratch folder>
#   -DFILES=<relative paths;...>
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND "${TOOL}" "${WORK}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TOOL} failed: ${result}")
endif()
foreach(name IN LISTS FILES)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/${name}" "${SOURCE}/${name}"
        RESULT_VARIABLE different)
    if(NOT different EQUAL 0)
        message(FATAL_ERROR "${SOURCE}/${name} is out of date: build the veltrin_icon target")
    endif()
endforeach()
