# Setup.exe, its Win32 layer, the test doubles and the tests that run under Wine.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 1252")

# Every program lands beside Setup.exe, so tests find it and the doubles.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501 WINVER=0x0501)
add_compile_options(-Wall -Wextra -Wno-cast-function-type)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  # The x86_64 winnt.h includes every x86 intrinsics header, which triples
  # the time to compile anything that includes windows.h. Nothing here uses
  # them.
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-D_X86INTRIN_H_INCLUDED>)
endif()
# Test programs and doubles: static runtime, no DLL but the system's.
set(SETUP_STATIC_LINK -static -static-libgcc -static-libstdc++)

# The product's own code: no exceptions, RTTI, guarded statics or unwinding
# tables, so that it needs no C or C++ runtime at all. The same objects link
# into the test programs, which keep theirs.
# No -fdata-sections: mingw then stores zero-filled tables (the Copy Files
# table, the in-use list) as file data instead of in .bss.
set(SETUP_PRODUCT_FLAGS -fno-exceptions -fno-rtti -fno-threadsafe-statics
    -fno-asynchronous-unwind-tables -fno-unwind-tables -fno-stack-protector
    -ffunction-sections)

add_library(setup_core STATIC ${SETUP_CORE_SOURCES})
target_include_directories(setup_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(setup_core PRIVATE ${SETUP_PRODUCT_FLAGS})

# Win32 layer: src/<subsystem>/*.cpp, all but the entry point and runtime.
file(GLOB SETUP_WIN_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*/*.cpp)
list(FILTER SETUP_WIN_SOURCES EXCLUDE REGEX "/(WinMain|Runtime)\\.cpp$")
add_library(setup_win STATIC ${SETUP_WIN_SOURCES})
target_compile_options(setup_win PRIVATE ${SETUP_PRODUCT_FLAGS})
target_link_libraries(setup_win PUBLIC setup_core)
target_link_libraries(setup_win PUBLIC kernel32 user32 gdi32 advapi32 shell32 version comctl32)

add_library(setup_res OBJECT ${PROJECT_SOURCE_DIR}/res/Setup.rc)
# windres reports no dependencies: name the pictures and translations here.
file(GLOB SETUP_RES_INPUTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/res/images/* ${PROJECT_SOURCE_DIR}/res/lang/*
     ${PROJECT_SOURCE_DIR}/res/*.h ${PROJECT_SOURCE_DIR}/res/*.manifest)
set_source_files_properties(${PROJECT_SOURCE_DIR}/res/Setup.rc PROPERTIES OBJECT_DEPENDS "${SETUP_RES_INPUTS}")
target_include_directories(setup_res PRIVATE ${PROJECT_SOURCE_DIR}/res ${PROJECT_SOURCE_DIR}/src)

set(SETUP_RUNTIME_SOURCE ${PROJECT_SOURCE_DIR}/src/startup/Runtime.cpp)
add_library(setup_entry OBJECT ${PROJECT_SOURCE_DIR}/src/startup/WinMain.cpp ${SETUP_RUNTIME_SOURCE})
target_include_directories(setup_entry PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_compile_options(setup_entry PRIVATE ${SETUP_PRODUCT_FLAGS})
# The runtime's own loops must not be turned back into calls to themselves.
set_source_files_properties(${SETUP_RUNTIME_SOURCE} PROPERTIES
  COMPILE_OPTIONS "-fno-builtin;-fno-tree-loop-distribute-patterns")
add_executable(Setup WIN32 $<TARGET_OBJECTS:setup_entry> $<TARGET_OBJECTS:setup_res>)
# libgcc last: the core divides 64-bit numbers, which i686 does through libgcc.
target_link_libraries(Setup PRIVATE setup_win setup_core gcc)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(SETUP_ENTRY SetupEntry)
else()
  set(SETUP_ENTRY _SetupEntry)
endif()
# No C runtime: our own entry point, the system's DLLs and libgcc's helpers
# only. Subsystem 4.0 so that Windows 95 and NT 4 load it.
target_link_options(Setup PRIVATE -nostdlib -nostartfiles -Wl,-e,${SETUP_ENTRY} -Wl,--gc-sections
                    -Wl,--subsystem,windows:4.0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
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
  # What old Windows can load: imports, subsystem, size; no dynamic
  # initialiser in the product's code. Each check is also shown a program
  # or object that it must refuse.
  find_program(PYTHON3 python3 REQUIRED)
  set(SETUP_CHECK_PE ${PYTHON3} ${PROJECT_SOURCE_DIR}/tools/check-pe.py)
  add_test(NAME setup.pe COMMAND ${SETUP_CHECK_PE} $<TARGET_FILE:Setup>)
  add_test(NAME setup.no_dynamic_init COMMAND ${CMAKE_COMMAND} -E env OBJDUMP=${CMAKE_OBJDUMP}
           ${SETUP_CHECK_PE} --objects $<TARGET_FILE:setup_core> $<TARGET_FILE:setup_win>
           $<TARGET_OBJECTS:setup_entry>)
  add_executable(pe_refused ${PROJECT_SOURCE_DIR}/tests/pe/refused.cpp)
  target_compile_options(pe_refused PRIVATE ${SETUP_PRODUCT_FLAGS})
  target_link_options(pe_refused PRIVATE ${SETUP_STATIC_LINK} -Wl,--subsystem,windows:4.0)
  add_test(NAME setup.pe_refuses COMMAND ${SETUP_CHECK_PE} $<TARGET_FILE:pe_refused>)
  set_tests_properties(setup.pe_refuses PROPERTIES PASS_REGULAR_EXPRESSION
    "refused: KERNEL32.dll GetTickCount64.*refused: [^ ]*msvcrt.dll")
  add_test(NAME setup.no_dynamic_init_refuses COMMAND ${CMAKE_COMMAND} -E env
           OBJDUMP=${CMAKE_OBJDUMP} ${SETUP_CHECK_PE} --objects $<TARGET_OBJECTS:pe_refused>)
  set_tests_properties(setup.no_dynamic_init_refuses PROPERTIES PASS_REGULAR_EXPRESSION
    "refused: .*refused.cpp.obj has a dynamic initialiser")
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

# Everything below only tests the product: compiled unoptimised, which
# halves its build time. The product's own targets are defined above.
add_compile_options(-O0)

# GoogleTest for the tests that run under Wine.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Optimised, GoogleTest links four times faster into each test program: the
# PE linker is slow on the many sections of unoptimised template code.
target_compile_options(gtest PRIVATE -Os)

add_subdirectory(doubles)
add_subdirectory(tools/uidriver)
add_subdirectory(tests/win)
# The copy benchmark: run by hand, not a test.
add_subdirectory(bench)
