# The program's icon: one SVG drawn for it (packaging/mk843nb.svg), rendered at
# build time to the PNG sizes the desktop and the window use. The PNGs live only
# in the build folder: ${MK843NB_ICON_DIR}/<N>x<N>/mk843nb.png.
find_program(MK843NB_RSVG_CONVERT rsvg-convert)
if(NOT MK843NB_RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert renders the program's icon: install librsvg2-bin "
                      "(scripts/install-deps.sh does)")
endif()

set(MK843NB_ICON_SVG ${PROJECT_SOURCE_DIR}/packaging/mk843nb.svg)
set(MK843NB_ICON_DIR ${PROJECT_BINARY_DIR}/icons)
set(MK843NB_ICON_SIZES 48 256)
set(MK843NB_ICON_PNGS)
foreach(size IN LISTS MK843NB_ICON_SIZES)
  set(png ${MK843NB_ICON_DIR}/${size}x${size}/mk843nb.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MK843NB_ICON_DIR}/${size}x${size}
    COMMAND ${MK843NB_RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${MK843NB_ICON_SVG}
    DEPENDS ${MK843NB_ICON_SVG}
    COMMENT "Rendering the ${size} px icon"
    VERBATIM)
  list(APPEND MK843NB_ICON_PNGS ${png})
endforeach()
add_custom_target(mk843nb_icons ALL DEPENDS ${MK843NB_ICON_PNGS})
