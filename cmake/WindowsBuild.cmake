# Setup.exe, its Win32 layer, the test doubles and the tests that run under Wine.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 1252")

# Every program lands beside Setup.exe, so tests find it and the doubles.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501 WINVER=0x0501)
add_compile_options(-Wall -Wextra -Wno-cast-function-type)
# Static runtime: Setup.exe needs no DLL but the system's and msvcrt.
set(SETUP_STATIC_LINK -static -static-libgcc -static-libstdc++)

add_library(setup_core STATIC ${SETUP_CORE_SOURCES})
target_include_directories(setup_core PUBLIC ${PROJECT_SOURCE_DIR}/src)

# Win32 layer: src/<subsystem>/*.cpp, all but the entry point.
file(GLOB SETUP_WIN_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*/*.cpp)
list(FILTER SETUP_WIN_SOURCES EXCLUDE REGEX "/WinMain\\.cpp$")
add_library(setup_win STATIC ${SETUP_WIN_SOURCES})
target_link_libraries(setup_win PUBLIC setup_core)
target_link_libraries(setup_win PUBLIC kernel32 user32 gdi32 advapi32 shell32 version comctl32)

add_library(setup_res OBJECT ${PROJECT_SOURCE_DIR}/res/Setup.rc)
target_include_directories(setup_res PRIVATE ${PROJECT_SOURCE_DIR}/res ${PROJECT_SOURCE_DIR}/src)

add_executable(Setup WIN32 ${PROJECT_SOURCE_DIR}/src/startup/WinMain.cpp $<TARGET_OBJECTS:setup_res>)
target_link_libraries(Setup PRIVATE setup_win)
# Subsystem 4.0 so that Windows 95 and NT 4 load it.
target_link_options(Setup PRIVATE ${SETUP_STATIC_LINK} -Wl,--subsystem,windows:4.0
                    -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
set_target_properties(Setup PROPERTIES OUTPUT_NAME Setup SUFFIX .exe)
if(CMAKE_BUILD_TYPE STREQUAL "MinSizeRel" OR CMAKE_BUILD_TYPE STREQUAL "Release")
  target_link_options(Setup PRIVATE -s)
endif()

# The shipped program is the i686 one. An x86_64 build exists only to run the
# Wine tests on hosts whose kernel cannot run 32-bit code at all.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(SETUP_TEST_HOST64 ON)
  set(SETUP_WINE_LOADER /usr/lib/wine/wine64)
else()
  set(SETUP_TEST_HOST64 OFF)
  set(SETUP_WINE_LOADER wine)
  add_test(NAME setup.pe COMMAND ${PROJECT_SOURCE_DIR}/tools/check-pe.sh $<TARGET_FILE:Setup>)
endif()
option(SETUP_WINE_TESTS "Build and register the tests that run under Wine" ON)

# Wine: every test program runs through a wrapper that creates once, then
# reuses, an isolated prefix under the build folder.
set(SETUP_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
configure_file(${PROJECT_SOURCE_DIR}/tools/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/tools/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run32.sh @ONLY)
file(CHMOD ${CMAKE_BINARY_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wine-run32.sh
     PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(NOT SETUP_WINE_TESTS)
  return()
endif()

# GoogleTest for the tests that run under Wine.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_subdirectory(doubles)
add_subdirectory(tools/uidriver)
add_subdirectory(tests/win)
# The copy benchmark: run by hand, not a test.
add_subdirectory(bench)
