# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows zip: `cpack -G ZIP` in a cross build writes
# Veltrin-<version>-win64.zip (scripts/windows.sh does all of it). Everything
# the programs load sits beside them, so that the folder runs as unpacked.

# Qt's libraries and the plugins they load at run time: the platform, the
# native style, and the image formats beyond the built-in BMP and PNG.
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
    DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION plugins/platforms)
if(TARGET Qt6::QWindowsVistaStylePlugin)
    install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION plugins/styles)
endif()
foreach(plugin QGifPlugin QICOPlugin QJpegPlugin QTiffPlugin QWebpPlugin QTgaPlugin)
    if(TARGET Qt6::${plugin})
        install(FILES $<TARGET_FILE:Qt6::${plugin}> DESTINATION plugins/imageformats)
    endif()
endforeach()
# Qt's own texts in Chinese (its dialogs, veltrin-cli's option errors), from
# the build machine's Qt of the same version.
find_file(VELTRIN_QT_CHINESE qtbase_zh_CN.qm
    PATHS /usr/share/qt6/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${VELTRIN_QT_CHINESE} DESTINATION translations)
install(FILES qt.conf DESTINATION .)

install(CODE "set(VELTRIN_STRIP \"${CMAKE_STRIP}\")")

# The compiler's run-time libraries, which the programs and Qt link.
foreach(library libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${library}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "The compiler does not know ${library}")
    endif()
    install(FILES ${path} DESTINATION .)
endforeach()

# Qt and the runtime come with their symbol tables (libstdc++ is 24 MB with
# them); the zip needs none. Our programs are stripped by CPACK_STRIP_FILES.
install(CODE [[
    file(GLOB_RECURSE dlls "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/*.dll")
    foreach(dll IN LISTS dlls)
        execute_process(COMMAND "${VELTRIN_STRIP}" --strip-unneeded "${dll}" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
]])

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
# The Chinese user guide, and the notices of everything the zip bundles.
install(FILES ${PROJECT_SOURCE_DIR}/docs/zh-CN/guide.md DESTINATION . RENAME README.txt)
install(FILES NOTICES.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
unset(CPACK_PACKAGING_INSTALL_PREFIX) # the zip's folder is the prefix
set(CPACK_PACKAGE_FILE_NAME Veltrin-${PROJECT_VERSION}-win64)
