# Tallymere on the desktop: the program icon is drawn once, as an SVG; the windows render it at
# run time.

set(TALLYMERE_ICON_SVG ${PROJECT_SOURCE_DIR}/resources/icons/${TALLYMERE_APP_ID}.svg)

find_package(Qt6 REQUIRED COMPONENTS Svg)

# Embeds the artwork as :/icons/program.svg in `target`, the library that holds windows/icons.cpp.
function(tallymere_embed_program_icon target)
  set_source_files_properties(${TALLYMERE_ICON_SVG} PROPERTIES QT_RESOURCE_ALIAS program.svg)
  qt_add_resources(${target} tallymere_artwork PREFIX /icons FILES ${TALLYMERE_ICON_SVG})
  target_link_libraries(${target} PRIVATE Qt6::Svg)
endfunction()
