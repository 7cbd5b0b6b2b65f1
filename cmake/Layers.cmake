# The program's libraries are layered: platform <- base <- shell, engine <- admin, content,
# campaigns, reports, utilities <- app. A library sees only its own folder and the folders
# below it: its include root (build/layers/<folder>) holds links to exactly those folders,
# so an include that points upward, or sideways to a sibling, does not compile.
#
# An include with "../" would walk round the roots, so every build first checks that none has one.
#
#   korvina_layer(<target> <own folder> [<lower folder>...])
if(NOT TARGET korvina_include_check)
  add_custom_target(korvina_include_check
    COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/CheckIncludes.cmake
    COMMENT "Checking that no include climbs out of its layer")
endif()

function(korvina_layer target folder)
  set(root ${CMAKE_BINARY_DIR}/layers/${folder})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root})
  foreach(visible ${folder} ${ARGN})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${visible} ${root}/${visible} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
  add_dependencies(${target} korvina_include_check)
endfunction()
