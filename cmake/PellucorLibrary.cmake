# Every source folder of the program is one static library named after its
# path (framework/graphics -> framework_graphics), built from all the .cpp
# files below it. A folder's CMakeLists.txt names the folders it uses
# (USES, exactly its line in tools/include-rules, which tools/check-includes
# holds it to) and what it links from outside the project (LINKS).
set_property(GLOBAL PROPERTY PELLUCOR_LIBRARIES "")

function(pellucor_library)
  cmake_parse_arguments(ARG "" "" "USES;LINKS" ${ARGN})
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" name ${rel})
  set(uses "")
  foreach(dir IN LISTS ARG_USES)
    string(REPLACE "/" "_" used ${dir})
    list(APPEND uses ${used})
  endforeach()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC Threads::Threads ${uses} ${ARG_LINKS})
    if(PELLUCOR_FUZZ)
      # What the fuzz targets link: the fuzzers steer by its coverage.
      target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link)
    endif()
  else()
    # A folder with headers only so far.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE Threads::Threads ${uses} ${ARG_LINKS})
  endif()
  set_property(GLOBAL APPEND PROPERTY PELLUCOR_LIBRARIES ${name})
endfunction()

# pellucor_all: every library of the program, for the executables (the game,
# the tools, the tests and the benchmarks). There is no link group: each
# library brings the folders it uses after itself, so the linker meets every
# caller before what it calls, and a call up a layer that no USES allows is
# left undefined instead of being found on a second pass.
function(pellucor_all_libraries_target)
  get_property(libs GLOBAL PROPERTY PELLUCOR_LIBRARIES)
  list(REVERSE libs)
  add_library(pellucor_all INTERFACE)
  target_link_libraries(pellucor_all INTERFACE ${libs})
endfunction()

# A directory of sources that each make one executable, e.g. bench/*.cpp.
function(pellucor_executables_from_glob prefix pattern)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB files CONFIGURE_DEPENDS ${pattern})
  foreach(file IN LISTS files)
    get_filename_component(stem ${file} NAME_WE)
    add_executable(${prefix}${stem} ${file})
    target_link_libraries(${prefix}${stem} PRIVATE pellucor_all ${ARG_LINKS})
  endforeach()
endfunction()
