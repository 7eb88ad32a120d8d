# Assembles the runtime folder beside the executable: the editor reads media/,
# lang/, doc/ and config.xml relative to the folder it starts in.
#
# - Images made for the editor, the language files and the help pages come
#   from this source tree (media/, lang/, doc/).
# - The GUI font and the terrain height map come gzipped with the engine's
#   sample media (package libirrlicht-doc) and are unpacked at build time.
# - The toolbar, scene box and tool box icons come from the Tango icon theme
#   (package tango-icon-theme).
# - config.xml is installed only when the runtime folder has none, so the
#   settings a user saved survive every rebuild.
# Every copy depends on its source, so an edit reaches the runtime folder at
# the next build.

set(SORN_IRRLICHT_MEDIA_DIR /usr/share/doc/libirrlicht-dev/media
    CACHE PATH "The engine's sample media (package libirrlicht-doc)")
set(SORN_TANGO_ICON_DIR /usr/share/icons/Tango/16x16
    CACHE PATH "16x16 Tango icons (package tango-icon-theme)")

find_program(SORN_GZIP gzip REQUIRED)

set(SORN_RUNTIME_OUTPUTS "")

# Copies one file into the runtime folder whenever the source changes.
function(sorn_runtime_copy source relative_dest)
  set(dest ${SORN_RUNTIME_DIR}/${relative_dest})
  get_filename_component(dest_dir ${dest} DIRECTORY)
  add_custom_command(OUTPUT ${dest}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dest_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${dest}
    DEPENDS ${source}
    COMMENT "Runtime folder: ${relative_dest}"
    VERBATIM)
  set(SORN_RUNTIME_OUTPUTS ${SORN_RUNTIME_OUTPUTS} ${dest} PARENT_SCOPE)
endfunction()

# Unpacks one gzipped file of the engine's media into the runtime folder.
function(sorn_runtime_gunzip name relative_dest)
  set(source ${SORN_IRRLICHT_MEDIA_DIR}/${name}.gz)
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "${source} is missing: install the package libirrlicht-doc")
  endif()
  set(dest ${SORN_RUNTIME_DIR}/${relative_dest})
  add_custom_command(OUTPUT ${dest}
    COMMAND ${CMAKE_COMMAND} -DGZIP=${SORN_GZIP} -DSOURCE=${source} -DDEST=${dest}
            -P ${CMAKE_CURRENT_LIST_DIR}/Gunzip.cmake
    DEPENDS ${source} ${CMAKE_CURRENT_LIST_DIR}/Gunzip.cmake
    COMMENT "Runtime folder: ${relative_dest} (unpacked from the engine's media)"
    VERBATIM)
  set(SORN_RUNTIME_OUTPUTS ${SORN_RUNTIME_OUTPUTS} ${dest} PARENT_SCOPE)
endfunction()

# Copies one Tango icon (found in any of the theme's 16x16 sections) into
# media/, under the name the editor asks for.
function(sorn_runtime_icon tango_name media_name)
  file(GLOB found ${SORN_TANGO_ICON_DIR}/*/${tango_name})
  if(NOT found)
    message(FATAL_ERROR "${tango_name} is missing from ${SORN_TANGO_ICON_DIR}: "
                        "install the package tango-icon-theme")
  endif()
  list(GET found 0 source)
  sorn_runtime_copy(${source} media/${media_name})
  set(SORN_RUNTIME_OUTPUTS ${SORN_RUNTIME_OUTPUTS} PARENT_SCOPE)
endfunction()

# The GUI and text-node font, and the terrain height map.
sorn_runtime_gunzip(fonthaettenschweiler.bmp media/fonthaettenschweiler.bmp)
sorn_runtime_gunzip(terrain-heightmap.bmp media/terrain-heightmap.bmp)

# Toolbar buttons.
sorn_runtime_icon(format-justify-fill.png format-justify-fill.png)
sorn_runtime_icon(document-properties.png document-properties.png)
sorn_runtime_icon(view-refresh.png view-refresh.png)
sorn_runtime_icon(help-browser.png help-browser.png)
# Scene box buttons: add a model, duplicate (an arrow), remove.
sorn_runtime_icon(list-add.png list-add.png)
sorn_runtime_icon(go-next.png list-arrow.png)
sorn_runtime_icon(list-remove.png list-remove.png)
# Tool box browse buttons.
sorn_runtime_icon(folder.png folder.png)

# Files kept in this source tree: the About logo and default sky textures
# (media/), the language files (lang/) and the help pages (doc/).
file(GLOB SORN_TREE_RUNTIME_FILES CONFIGURE_DEPENDS
  RELATIVE ${CMAKE_SOURCE_DIR}
  ${CMAKE_SOURCE_DIR}/media/*.png
  ${CMAKE_SOURCE_DIR}/media/*.jpg
  ${CMAKE_SOURCE_DIR}/lang/*.xml
  ${CMAKE_SOURCE_DIR}/doc/*.html)
foreach(relative ${SORN_TREE_RUNTIME_FILES})
  sorn_runtime_copy(${CMAKE_SOURCE_DIR}/${relative} ${relative})
endforeach()

# config.xml: run at every build, but copies only when the file is absent.
set(SORN_CONFIG_TEMPLATE ${CMAKE_SOURCE_DIR}/data/config.xml)
add_custom_target(runtime_data ALL
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${SORN_CONFIG_TEMPLATE} -DDEST=${SORN_RUNTIME_DIR}/config.xml
          -P ${CMAKE_CURRENT_LIST_DIR}/InstallIfAbsent.cmake
  DEPENDS ${SORN_RUNTIME_OUTPUTS} ${SORN_CONFIG_TEMPLATE}
  COMMENT "Runtime folder: media, lang, doc and config.xml"
  VERBATIM)
