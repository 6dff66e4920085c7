# Shared build settings for every target of the project.

# Programs that render on an X server fail AddressSanitizer in the system's libraries on their own: Mesa's
# OpenGL leaks in frames that cannot be unwound to name it, so leak checks are off for them, and the X
# keyboard library's string reads are suppressed by name. Every other check stays on.
set(TESSELON_RENDERING_ASAN_OPTIONS
    "ASAN_OPTIONS=set:detect_leaks=0:abort_on_error=1:suppressions=${CMAKE_SOURCE_DIR}/tests/sanitizers/asan.supp")

function(tesselon_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# A host or plug-in library made of every source file in the calling folder and its subfolders, except
# those of the subfolders named in EXCLUDE (which build their own targets). The fuzz preset links them
# statically, so that their coverage hooks bind to the fuzzer's at link time.
function(tesselon_add_library name)
  cmake_parse_arguments(ARG "" "TYPE" "LINKS;PRIVATE_LINKS;EXTRA_SOURCES;EXCLUDE" ${ARGN})
  if(NOT ARG_TYPE AND TESSELON_FUZZ_ONLY)
    set(ARG_TYPE STATIC)
  elseif(NOT ARG_TYPE)
    set(ARG_TYPE SHARED)
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${excluded}/")
  endforeach()
  add_library(${name} ${ARG_TYPE} ${sources} ${ARG_EXTRA_SOURCES})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS} PRIVATE ${ARG_PRIVATE_LINKS})
  tesselon_warnings(${name})
endfunction()

# One GoogleTest program from every test source in the calling folder and its subfolders, except those of
# the subfolders named in EXCLUDE (which build their own programs), registered with CTest. WIDGETS gives it
# a widget application instead of a core one; XVFB runs the program and its test discovery under xvfb-run,
# with Qt on that X server instead of offscreen, for tests that read rendered pixels.
function(tesselon_add_test_program name)
  cmake_parse_arguments(ARG "WIDGETS;XVFB" "" "LINKS;LABELS;EXCLUDE" ${ARGN})
  set(support TesselonTestSupport)
  if(ARG_WIDGETS)
    set(support TesselonGuiTestSupport)
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${excluded}/")
  endforeach()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} ${support} GTest::gtest GTest::gmock)
  tesselon_warnings(${name})
  set(platform offscreen)
  set(rendering_environment "")
  if(ARG_XVFB)
    # gtest_discover_tests reads the emulator when it is called, so it must be set before.
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "xvfb-run;-a")
    set(platform xcb)
    set(rendering_environment "${TESSELON_RENDERING_ASAN_OPTIONS}")
  endif()
  # Labels go on the folder: gtest_discover_tests splits a list-valued test property into separate
  # arguments, which kept only the first label.
  set_property(DIRECTORY APPEND PROPERTY LABELS ${ARG_LABELS})
  # A second variable goes through its own property for the same reason.
  set(extra_properties "")
  if(rendering_environment)
    set(extra_properties ENVIRONMENT_MODIFICATION "${rendering_environment}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=${platform}" ${extra_properties})
endfunction()

# An OBJECT library holding a resource tree that a generator program writes at build time: the generator
# is run with the output folder and writes FILES and QRC.qrc there; rcc compiles them. rcc is called
# directly because qt5_add_resources reads the qrc at configure time, before it exists. Linked as objects,
# rcc's static initialiser, which registers the tree on load, cannot be dropped by the linker.
function(tesselon_add_generated_resources name)
  cmake_parse_arguments(ARG "" "GENERATOR;QRC" "FILES" ${ARGN})
  set(generated_dir ${CMAKE_CURRENT_BINARY_DIR}/generated)
  list(TRANSFORM ARG_FILES PREPEND ${generated_dir}/ OUTPUT_VARIABLE generated_files)
  set(qrc ${generated_dir}/${ARG_QRC}.qrc)
  add_custom_command(
    OUTPUT ${generated_files} ${qrc}
    COMMAND ${ARG_GENERATOR} ${generated_dir}
    DEPENDS ${ARG_GENERATOR}
    COMMENT "Generating the files of ${name}"
    VERBATIM)
  set(rcc_source ${CMAKE_CURRENT_BINARY_DIR}/qrc_${ARG_QRC}.cpp)
  add_custom_command(
    OUTPUT ${rcc_source}
    COMMAND Qt5::rcc --name ${ARG_QRC} --output ${rcc_source} ${qrc}
    DEPENDS ${generated_files} ${qrc}
    COMMENT "Compiling the resource tree of ${name}"
    VERBATIM)
  add_library(${name} OBJECT ${rcc_source})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON AUTOMOC OFF)
  target_link_libraries(${name} PUBLIC Qt5::Core)
endfunction()

# An end-to-end script: `tesselon gui --script FILE` drives the real window on the example session under
# Xvfb, labelled "script". It passes when the script ends without an error. With EXPECT_ERROR it passes only
# when the program fails and prints a match of that regular expression, for scripts that prove the error
# reporting. Each test has an authority file of its own: xvfb-run's shared temporary folder sometimes fails
# to be removed when the program ends at once, which turned a pass into exit code 5. Each also starts its
# search for a free display at a number of its own: two xvfb-run started at once may otherwise both take the
# first free one, and the second fails at once.
set_property(GLOBAL PROPERTY TESSELON_NEXT_SCRIPT_DISPLAY 200)
function(tesselon_add_script_test name file)
  cmake_parse_arguments(ARG "" "TIMEOUT;EXPECT_ERROR" "" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  get_filename_component(script ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  get_property(display GLOBAL PROPERTY TESSELON_NEXT_SCRIPT_DISPLAY)
  math(EXPR next "${display} + 5")
  set_property(GLOBAL PROPERTY TESSELON_NEXT_SCRIPT_DISPLAY ${next})
  set(command xvfb-run -a -n ${display} -f ${CMAKE_CURRENT_BINARY_DIR}/script.${name}.xauth -s "-screen 0 1600x1000x24"
              $<TARGET_FILE:tesselon> gui --script ${script})
  if(ARG_EXPECT_ERROR)
    # The exit code is printed, so one expression checks the message and the failure together.
    add_test(NAME script.${name} COMMAND sh -c "\"$@\"; echo \"exit code $?\"" sh ${command})
    set_tests_properties(script.${name} PROPERTIES PASS_REGULAR_EXPRESSION "${ARG_EXPECT_ERROR}.*exit code [1-9]")
  else()
    add_test(NAME script.${name} COMMAND ${command})
  endif()
  set_tests_properties(script.${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "script"
                       ENVIRONMENT_MODIFICATION "${TESSELON_RENDERING_ASAN_OPTIONS}")
endfunction()
