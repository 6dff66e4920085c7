# Shared build settings for every target of the project.

function(tesselon_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# A host or plug-in library made of every source file in the calling folder.
function(tesselon_add_library name)
  cmake_parse_arguments(ARG "" "TYPE" "LINKS;PRIVATE_LINKS;EXTRA_SOURCES" ${ARGN})
  if(NOT ARG_TYPE)
    set(ARG_TYPE SHARED)
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} ${ARG_TYPE} ${sources} ${ARG_EXTRA_SOURCES})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS} PRIVATE ${ARG_PRIVATE_LINKS})
  tesselon_warnings(${name})
endfunction()

# One GoogleTest program from every test source in the calling folder, registered with CTest.
function(tesselon_add_test_program name)
  cmake_parse_arguments(ARG "" "" "LINKS;LABELS;ENVIRONMENT" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} TesselonTestSupport GTest::gtest GTest::gmock)
  tesselon_warnings(${name})
  # Labels go on the folder: gtest_discover_tests splits a list-valued test property into separate
  # arguments, which kept only the first label.
  set_property(DIRECTORY APPEND PROPERTY LABELS ${ARG_LABELS})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${ARG_ENVIRONMENT}")
endfunction()
