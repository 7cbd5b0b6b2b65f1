# Run at every build (cmake -DROOT=<source dir> -P CheckIncludes.cmake): an include that climbs
# out of its folder with "../" would reach a layer the include roots hide, so it fails the build.
file(GLOB_RECURSE sources ${ROOT}/src/*.cpp ${ROOT}/src/*.h ${ROOT}/tests/*.cpp ${ROOT}/tests/*.h)
set(found "")
foreach(source ${sources})
  file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\./")
  foreach(line ${lines})
    file(RELATIVE_PATH name ${ROOT} ${source})
    string(APPEND found "\n  ${name}: ${line}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "Includes must name a path from a layer's root, not climb with \"../\":${found}")
endif()
