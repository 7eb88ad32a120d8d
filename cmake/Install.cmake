# cmake --install <build> --prefix P puts the editor where a desktop expects it:
#   P/bin/sorn-editor and sorn-filecheck (the editor starts the check program
#     from its own folder),
#   P/share/sorn-editor/ media/, lang/, doc/ (as the runtime folder holds them)
#     and config.xml, the default settings (each user's settings are kept in
#     their configuration folder and read over these),
#   P/share/applications/sorn-editor.desktop, the icon in
#     P/share/icons/hicolor/128x128/apps/ (the About logo, media/sorn.png) and
#     the .irr scene type in P/share/mime/packages/.
# Nothing is written outside the prefix; the desktop's caches (MIME database,
# icon cache) are for the packaging to refresh.
# The install copies what the build made, so building sorn-editor alone
# assembles the whole runtime folder too.

set(SORN_SHARE_DIR share/sorn-editor)
add_dependencies(sorn-editor runtime_data)

install(TARGETS sorn-editor sorn-filecheck RUNTIME DESTINATION bin)
install(DIRECTORY ${SORN_RUNTIME_DIR}/media ${SORN_RUNTIME_DIR}/lang ${SORN_RUNTIME_DIR}/doc
        DESTINATION ${SORN_SHARE_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/config.xml DESTINATION ${SORN_SHARE_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/media/sorn.png DESTINATION share/icons/hicolor/128x128/apps
        RENAME sorn-editor.png)
install(FILES ${CMAKE_SOURCE_DIR}/data/sorn-editor-mime.xml DESTINATION share/mime/packages
        RENAME sorn-editor.xml)

# The desktop entry names the program by its installed path, known only when
# the install runs (--prefix may differ from the configured prefix).
install(CODE "
  set(SORN_DESKTOP_TEMPLATE \"${CMAKE_SOURCE_DIR}/data/sorn-editor.desktop.in\")
  set(SORN_DESKTOP_FILE \"${CMAKE_BINARY_DIR}/install/sorn-editor.desktop\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/InstallDesktopEntry.cmake\")
")
