# Shared build rules: every library and test folder globs its own sources,
# so adding a file never means editing another folder's build script.

set(KORVO_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})

function(korvo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
  if(KORVO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# lld links the many test, benchmark and fuzz programs in a fraction of ld.bfd's time.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=lld KORVO_HAVE_LLD)
if(KORVO_HAVE_LLD)
  add_link_options(-fuse-ld=lld)
endif()

# A file spends most of its compile time reading Qt's (and GoogleTest's) headers;
# batches of a target's files read them once. Each test file still holds its own
# tests, so every test keeps its name.
option(KORVO_UNITY "Compile the files of each library and test program in batches" ON)
set(KORVO_UNITY_BATCH 8 CACHE STRING "Files per batch")
function(korvo_batched target)
  if(KORVO_UNITY)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${KORVO_UNITY_BATCH})
    # In a batch a file's fixtures sit in an included file, which GCC takes for a
    # header whose anonymous namespace leaks; they are still that file's own.
    target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
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
  korvo_batched(${name})
endfunction()

# Each test runs in a process of its own, so none sees what another left behind.
# Under the sanitizers a process start costs several times as much, and there each
# suite of a program runs in one process instead (its tests named <program>.<suite>).
option(KORVO_PROCESS_PER_SUITE "Run each test suite, not each test, in a process of its own" OFF)
function(korvo_discover_tests target)
  if(NOT KORVO_PROCESS_PER_SUITE)
    gtest_discover_tests(${target}
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
      DISCOVERY_TIMEOUT 60)
    return()
  endif()
  set(suites ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DNAME=${target} -DOUT=${suites}
      -DWORKING_DIRECTORY=${CMAKE_BINARY_DIR} -P ${KORVO_CMAKE_DIR}/discover_suites.cmake
    VERBATIM)
  set(include ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites_include.cmake)
  file(WRITE ${include}
    "if(EXISTS [==[${suites}]==])\n  include([==[${suites}]==])\n"
    "else()\n  add_test([=[${target}_NOT_BUILT]=] ${target}_NOT_BUILT)\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include})
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
  korvo_batched(${name})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} korvo_testing GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE KORVO_BIN_DIR="${KORVO_BIN_DIR}" KORVO_BUILD_DIR="${CMAKE_BINARY_DIR}")
  korvo_warnings(${name})
  korvo_discover_tests(${name})
endfunction()

# The sanitizer build (the Makefile's test target makes it, with clang).
# KORVO_SANITIZE: everything under AddressSanitizer and UndefinedBehaviorSanitizer;
# any report ends the program that made it. KORVO_LIBFUZZER (clang only): the fuzz
# programs linked with libFuzzer, the code under them instrumented for its coverage
# and for the same two sanitizers.
option(KORVO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KORVO_LIBFUZZER "Build the fuzz programs with clang's libFuzzer and the sanitizers" OFF)
set(KORVO_FUZZ_RUNS 20000 CACHE STRING "Inputs each libFuzzer program tries in the tests")
if(KORVO_SANITIZE OR KORVO_LIBFUZZER)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(KORVO_LIBFUZZER)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KORVO_LIBFUZZER needs clang (-DCMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# korvo_fuzzers(DEPS <libs...> [RUNS <parser> <n>...]): one program fuzz_<parser> per
# fuzz/fuzz_<parser>.cpp (defining LLVMFuzzerTestOneInput), with its seeds and kept
# crashes in fuzz/corpus/<parser>/. The normal build links a driver that runs each
# input once; with KORVO_LIBFUZZER the test fuzzes from those inputs for
# KORVO_FUZZ_RUNS runs, or the n given for that parser. Every program joins fuzz_all.
function(korvo_fuzzers)
  cmake_parse_arguments(ARG "" "" "DEPS;RUNS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/fuzz_*.cpp)
  foreach(source ${sources})
    get_filename_component(name ${source} NAME_WE)
    string(REGEX REPLACE "^fuzz_" "" parser ${name})
    set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${parser})
    add_executable(${name} ${source})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    korvo_warnings(${name})
    set(runs ${KORVO_FUZZ_RUNS})
    list(FIND ARG_RUNS ${parser} at)
    if(at GREATER_EQUAL 0)
      math(EXPR at "${at} + 1")
      list(GET ARG_RUNS ${at} runs)
    endif()
    if(KORVO_LIBFUZZER)
      target_link_options(${name} PRIVATE -fsanitize=fuzzer)
      add_test(NAME ${name} COMMAND ${CMAKE_COMMAND}
        -DFUZZER=$<TARGET_FILE:${name}> -DSEEDS=${corpus} -DWORK=${CMAKE_BINARY_DIR}/fuzz/${parser}
        -DRUNS=${runs} -P ${KORVO_CMAKE_DIR}/run_fuzzer.cmake)
    else()
      target_link_libraries(${name} PRIVATE korvo_fuzz_driver)
      add_test(NAME ${name} COMMAND ${name} ${corpus})
    endif()
    set_tests_properties(${name} PROPERTIES LABELS fuzz)
    set_property(GLOBAL APPEND PROPERTY KORVO_FUZZERS ${name})
  endforeach()
endfunction()

function(korvo_fuzz_all)
  get_property(fuzzers GLOBAL PROPERTY KORVO_FUZZERS)
  add_custom_target(fuzz_all DEPENDS ${fuzzers})
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL korvo_fuzz_all)
