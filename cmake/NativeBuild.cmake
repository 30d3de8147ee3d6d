# The portable core on the host, under ASan and UBSan, with its unit tests
# and (with clang) libFuzzer targets.
set(SETUP_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(-Wall -Wextra ${SETUP_SANITIZE})
add_link_options(${SETUP_SANITIZE})

add_library(setup_core STATIC ${SETUP_CORE_SOURCES})
target_include_directories(setup_core PUBLIC ${PROJECT_SOURCE_DIR}/src)

# Debian's prebuilt GoogleTest saves compiling it under the sanitizers; the
# sanitizers need no instrumented copy of it.
find_package(GTest)
if(NOT GTest_FOUND)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

add_subdirectory(tests/native)
add_subdirectory(tools/resgen)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_subdirectory(tests/fuzz)
endif()
