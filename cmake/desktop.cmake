# Tallymere on the desktop: the program icon is drawn once, as an SVG; the windows render it at
# run time, and the build renders the theme icons from it. With the desktop entry and the
# AppStream metadata they install into share/ under the program folder.

set(TALLYMERE_ICON_SVG ${PROJECT_SOURCE_DIR}/resources/icons/${TALLYMERE_APP_ID}.svg)
set(TALLYMERE_ICON_SIZES 16 32 48 64 128 256)
set(TALLYMERE_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)

find_package(Qt6 REQUIRED COMPONENTS Svg)

# Embeds the artwork as :/icons/program.svg in `target`, the library that holds windows/icons.cpp.
function(tallymere_embed_program_icon target)
  set_source_files_properties(${TALLYMERE_ICON_SVG} PROPERTIES QT_RESOURCE_ALIAS program.svg)
  qt_add_resources(${target} tallymere_artwork PREFIX /icons FILES ${TALLYMERE_ICON_SVG})
  target_link_libraries(${target} PRIVATE Qt6::Svg)
endfunction()

# The theme icons, one PNG per size, laid out in the build tree as they install.
add_executable(tallymere-rendericon src/tools/rendericon.cpp)
target_link_libraries(tallymere-rendericon PRIVATE Qt6::Gui Qt6::Svg)
target_include_directories(tallymere-rendericon PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_compile_options(tallymere-rendericon PRIVATE ${TALLYMERE_WARNINGS})
set(TALLYMERE_THEME_DIR ${PROJECT_BINARY_DIR}/icons/hicolor)
set(theme_pngs)
foreach(size IN LISTS TALLYMERE_ICON_SIZES)
  set(png ${TALLYMERE_THEME_DIR}/${size}x${size}/apps/${TALLYMERE_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND tallymere-rendericon ${TALLYMERE_ICON_SVG} ${size} ${png}
    DEPENDS tallymere-rendericon ${TALLYMERE_ICON_SVG}
    COMMENT "Rendering the ${size} px theme icon"
    VERBATIM)
  list(APPEND theme_pngs ${png})
  install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(tallymere_theme_icons ALL DEPENDS ${theme_pngs})

install(FILES ${TALLYMERE_ICON_SVG} DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${TALLYMERE_DESKTOP_DIR}/${TALLYMERE_APP_ID}.metainfo.xml DESTINATION share/metainfo)
# The entry's Exec line names the program under the prefix given to cmake --install, so the
# entry is written then, not when the build is configured.
install(CODE "
  set(TALLYMERE_ENTRY_TEMPLATE [[${TALLYMERE_DESKTOP_DIR}/${TALLYMERE_APP_ID}.desktop.in]])
  set(TALLYMERE_ENTRY_STAGING [[${PROJECT_BINARY_DIR}/desktop/${TALLYMERE_APP_ID}.desktop]])
  include([[${CMAKE_CURRENT_LIST_DIR}/installentry.cmake]])
")
