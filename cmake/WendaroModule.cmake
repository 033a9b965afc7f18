# One interface target carries the language level and warnings for all our code.
add_library(wendaro_options INTERFACE)
target_compile_features(wendaro_options INTERFACE cxx_std_20)
target_compile_options(wendaro_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
target_include_directories(wendaro_options INTERFACE ${PROJECT_SOURCE_DIR}/src)

# Build stamp for the version text sent in host information.
string(TIMESTAMP WENDARO_BUILD_EPOCH "%s")

# wendaro_module(<name> [DEPS <targets>...])
# Every .cpp in src/<name>/ and its subfolders becomes the static library wendaro_<name>.
function(wendaro_module name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(wendaro_${name} STATIC ${sources})
    target_link_libraries(wendaro_${name} PUBLIC wendaro_options Threads::Threads ${ARG_DEPS})
  else()
    # Header-only until its first source file arrives.
    add_library(wendaro_${name} INTERFACE)
    target_link_libraries(wendaro_${name} INTERFACE wendaro_options Threads::Threads ${ARG_DEPS})
  endif()
endfunction()

# wendaro_test(<name> [DEPS <targets>...])
# Every .cpp in tests/<name>/ becomes one GoogleTest executable test_<name>.
function(wendaro_test name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  target_link_libraries(test_${name} PRIVATE wendaro_${name} ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(test_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120 LABELS unit)
endfunction()
