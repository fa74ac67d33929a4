# mk843nb_strict_warnings(<target>...): the warnings that catch narrowing,
# sign mix-ups and shadowed names, on top of -Wall -Wextra. Every library whose
# code is clean of them takes them; MK843NB_WERROR makes them errors as well.
set(MK843NB_STRICT_WARNINGS -Wshadow -Wconversion -Wsign-conversion)

function(mk843nb_strict_warnings)
  foreach(target IN LISTS ARGN)
    target_compile_options(${target} PRIVATE ${MK843NB_STRICT_WARNINGS})
  endforeach()
endfunction()
