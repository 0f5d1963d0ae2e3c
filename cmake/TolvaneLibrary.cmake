# Shared compile options for every target of ours.
function(tolvane_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(TOLVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(TOLVANE_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all
                                             -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# The folders whose headers each library's code may include: its own and those below it, in the
# layer order that tests/check_layers.sh holds every include to. widgets and model stand side by
# side and never see each other.
set(TOLVANE_SEES_platform platform)
set(TOLVANE_SEES_services platform services)
set(TOLVANE_SEES_imaging platform services imaging)
set(TOLVANE_SEES_widgets platform services imaging widgets)
set(TOLVANE_SEES_model platform services imaging model)
set(TOLVANE_SEES_runtime platform services imaging widgets model runtime)
set(TOLVANE_SEES_ui platform services imaging widgets model runtime ui)
set(TOLVANE_SEES_app platform services imaging widgets model runtime ui app)

# tolvane_visible_headers(<library> <PUBLIC|INTERFACE>): the library's include directory is a
# folder of the build tree holding a link to each source folder it may see, and no other. The
# compiler then refuses an upward include as a missing file, and a library's dependents inherit
# no wider set than their own. (Relative paths such as "../ui/X.h" from a source file still reach
# past it: the layer check catches those.) Generated headers keep their own include directories.
function(tolvane_visible_headers name scope)
  if(NOT DEFINED TOLVANE_SEES_${name})
    message(FATAL_ERROR "tolvane_visible_headers: no visible folders listed for ${name}")
  endif()
  set(dir ${CMAKE_BINARY_DIR}/visible-headers/${name})
  file(MAKE_DIRECTORY ${dir})
  file(GLOB present ${dir}/*)
  foreach(entry IN LISTS present)
    get_filename_component(folder ${entry} NAME)
    # Only links are ever removed here (a list that shrank), never what they point to.
    if(IS_SYMLINK ${entry} AND NOT folder IN_LIST TOLVANE_SEES_${name})
      file(REMOVE ${entry})
    endif()
  endforeach()
  foreach(folder IN LISTS TOLVANE_SEES_${name})
    set(link ${dir}/${folder})
    if(IS_SYMLINK ${link})
      file(READ_SYMLINK ${link} target)
      if(NOT target STREQUAL "${CMAKE_SOURCE_DIR}/${folder}")
        file(REMOVE ${link})
      endif()
    endif()
    if(NOT IS_SYMLINK ${link})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${link} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${name} ${scope} ${dir})
endfunction()

# One static library per folder: every .cpp, .h and .ui in the folder belongs to it.
# tolvane_library(<name> DEPS <targets...>)
function(tolvane_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.ui ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER sources INCLUDE REGEX "\\.(cpp|h|ui|qrc)$")
  set(units ${sources})
  list(FILTER units INCLUDE REGEX "\\.cpp$")
  if(units)
    add_library(${name} STATIC ${sources})
    tolvane_visible_headers(${name} PUBLIC)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    tolvane_target_options(${name})
  else()
    # A layer that has no code yet still takes part in the dependency chain.
    add_library(${name} INTERFACE)
    tolvane_visible_headers(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One test program per folder of tests/: every .cpp in the folder, with the shared test main.
function(tolvane_test_program name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE test_support ${ARG_DEPS})
  tolvane_target_options(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 120)
endfunction()
