# Refreshes the README's screenshots in docs/ from the last run of the checks that take them:
# the real window (build/release/screenshot.png, check real_window) and the page in a browser
# (build/web/screenshots/, checks web_drive_chromium and web_phone_chromium). The checks
# themselves never write into the tree.
# Usage, from the tree's root: cmake -P cmake/refresh-docs.cmake
set(shots
    build/release/screenshot.png screenshot.png
    build/web/screenshots/screenshot-web-start.png screenshot-web-start.png
    build/web/screenshots/screenshot-web.png screenshot-web.png
    build/web/screenshots/screenshot-web-phone.png screenshot-web-phone.png)
set(copied 0)
while(shots)
    list(POP_FRONT shots from to)
    if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/../${from})
        file(COPY_FILE ${CMAKE_CURRENT_LIST_DIR}/../${from} ${CMAKE_CURRENT_LIST_DIR}/../docs/${to})
        message("docs/${to} <- ${from}")
        math(EXPR copied "${copied} + 1")
    endif()
endwhile()
if(copied EQUAL 0)
    message(FATAL_ERROR "no screenshot to copy: run the checks real_window or web_drive_chromium first")
endif()
