# Installs the build into a fresh DESTDIR, as a package would, and checks
# what a desktop needs: the program runs, the menu entry, the icons in their
# sizes, and the AppStream description, with the freedesktop validators.
#   cmake -DBUILD=<build folder> -DDEST=<scratch folder> -DVERSION=<x.y> -P checkinstall.cmake
file(REMOVE_RECURSE "${DEST}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${DEST}
                        ${CMAKE_COMMAND} --install ${BUILD} --prefix /usr
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
set(root "${DEST}/usr")

set(id it.velmora.Velmora)
foreach(path bin/velmora
             share/applications/${id}.desktop
             share/metainfo/${id}.metainfo.xml
             share/icons/hicolor/scalable/apps/velmora.svg
             share/velmora/sample-forum/forum.py
             share/velmora/sample-forum/ok.gif)
    if(NOT EXISTS "${root}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()

# A PNG's width and height are the 4-byte numbers at bytes 16 and 20.
foreach(size 48 256)
    set(png "${root}/share/icons/hicolor/${size}x${size}/apps/velmora.png")
    if(NOT EXISTS "${png}")
        message(FATAL_ERROR "not installed: ${png}")
    endif()
    file(READ "${png}" header OFFSET 16 LIMIT 8 HEX)
    math(EXPR expected "${size}" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${expected}" 2 -1 expected)
    string(LENGTH "${expected}" digits)
    math(EXPR zeros "8 - ${digits}")
    string(REPEAT "0" ${zeros} padding)
    if(NOT header STREQUAL "${padding}${expected}${padding}${expected}")
        message(FATAL_ERROR "${png} is not ${size} x ${size} pixels (header ${header})")
    endif()
endforeach()

execute_process(COMMAND "${root}/bin/velmora" --version
                OUTPUT_VARIABLE shown RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT shown STREQUAL "Velmora ${VERSION}\n")
    message(FATAL_ERROR "installed velmora --version: status ${status}, said '${shown}'")
endif()

# The menu entry is clean: desktop-file-validate's hints (such as a missing
# main category) pass its status but count here.
execute_process(COMMAND desktop-file-validate ${root}/share/applications/${id}.desktop
                OUTPUT_VARIABLE said ERROR_VARIABLE said RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT said STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate: status ${status}\n${said}")
endif()
execute_process(COMMAND appstreamcli validate --no-net ${root}/share/metainfo/${id}.metainfo.xml
                OUTPUT_VARIABLE said ERROR_VARIABLE said RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate: status ${status}\n${said}")
endif()
