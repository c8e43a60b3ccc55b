# Shared build rules: every library and test folder globs its own sources,
# so adding a file never means editing another folder's build script.

function(korvo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
  if(KORVO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# korvo_library(<name> DEPS <libs...>): a static library of the *.cpp in this folder.
function(korvo_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources} ${headers})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  korvo_warnings(${name})
endfunction()

# korvo_tests(<name> DEPS <libs...>): one GoogleTest program of the *.cpp in ./tests.
function(korvo_tests name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.h)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} korvo_testing GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE KORVO_BIN_DIR="${KORVO_BIN_DIR}" KORVO_BUILD_DIR="${CMAKE_BINARY_DIR}")
  korvo_warnings(${name})
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()

# korvo_fuzzers(DEPS <libs...>): one program fuzz_<parser> per fuzz/fuzz_<parser>.cpp
# (defining LLVMFuzzerTestOneInput), with its seeds and kept crashes in
# fuzz/corpus/<parser>/. The normal build links a driver that runs each input once.
function(korvo_fuzzers)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/fuzz_*.cpp)
  foreach(source ${sources})
    get_filename_component(name ${source} NAME_WE)
    string(REGEX REPLACE "^fuzz_" "" parser ${name})
    set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${parser})
    add_executable(${name} ${source})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} korvo_fuzz_driver)
    korvo_warnings(${name})
    add_test(NAME ${name} COMMAND ${name} ${corpus})
  endforeach()
endfunction()
