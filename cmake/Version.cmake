# The program's version comes from one place, the project() line; the release
# date sits beside it. Both reach the code through a header generated in the
# build folder (target mk843nb_version) and the .deb through CPack.
set(MK843NB_RELEASE_DATE "2012.11.14")
string(REPLACE "." "-" MK843NB_RELEASE_DATE_ISO "${MK843NB_RELEASE_DATE}")

set(MK843NB_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/program_version.h.in
               ${MK843NB_GENERATED_DIR}/program_version.h @ONLY)

add_library(mk843nb_version INTERFACE)
target_include_directories(mk843nb_version INTERFACE ${MK843NB_GENERATED_DIR})
