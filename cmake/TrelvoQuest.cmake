# One library target per source folder: every .cpp of the folder, public include root src/.
# A folder without sources yet becomes an interface target, so dependants can already name it.
function(tq_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# The test program of a tests/ folder: every .cpp of the folder, linked with GoogleTest and the
# test support. Leaves `${name}_built` false in the caller when the folder has no sources yet.
function(tq_test_program name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(${name}_built FALSE PARENT_SCOPE)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} tq_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  add_dependencies(${name} tq_bundle)
  set(${name}_built TRUE PARENT_SCOPE)
endfunction()

# One test program per tests/ folder, run through CTest.
function(tq_test name)
  tq_test_program(${name} ${ARGN})
  if(NOT ${name}_built)
    return()
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endfunction()

# A test program that needs a display (GTK, WebKitGTK, GStreamer): like tq_test, but it runs on a
# private Xvfb server with no desktop session, accessibility bus or sound card
# (tests/support/run-under-xvfb), and LeakSanitizer ignores what those libraries keep for the life
# of the process (tests/support/lsan-desktop.supp).
function(tq_display_test name)
  tq_test_program(${name} ${ARGN})
  if(NOT ${name}_built)
    return()
  endif()
  add_test(NAME ${name}
           COMMAND ${PROJECT_SOURCE_DIR}/tests/support/run-under-xvfb $<TARGET_FILE:${name}> --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 900
    ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/support/lsan-desktop.supp:print_suppressions=0")
endfunction()
