# Every source folder of the program is one static library named after its
# path (framework/graphics -> framework_graphics), built from all the .cpp
# files below it. A folder's CMakeLists.txt only names what it links from
# outside the project.
set_property(GLOBAL PROPERTY PELLUCOR_LIBRARIES "")

function(pellucor_library)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" name ${rel})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC Threads::Threads ${ARG_LINKS})
    set_property(GLOBAL APPEND PROPERTY PELLUCOR_LIBRARIES ${name})
  else()
    # A folder with headers only so far.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE Threads::Threads ${ARG_LINKS})
    set_property(GLOBAL APPEND PROPERTY PELLUCOR_HEADER_LIBRARIES ${name})
  endif()
endfunction()

# pellucor_all: every library of the program, linked as one group so that the
# order of static libraries never matters.
function(pellucor_all_libraries_target)
  get_property(libs GLOBAL PROPERTY PELLUCOR_LIBRARIES)
  get_property(headers GLOBAL PROPERTY PELLUCOR_HEADER_LIBRARIES)
  add_library(pellucor_all INTERFACE)
  target_link_libraries(pellucor_all INTERFACE ${headers})
  if(libs)
    list(JOIN libs "," joined)
    target_link_libraries(pellucor_all INTERFACE "$<LINK_GROUP:RESCAN,${joined}>")
  endif()
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
