# Tests of the Windows build: the backend-neutral contract suites on the Win32 backend and the
# backend's own tests. The embedded-machine tests and the tool tests belong to the portable build.
# GoogleTest is built from the sources of Debian's googletest package; on Linux the programs run
# under Wine (CMAKE_CROSSCOMPILING_EMULATOR, set by the 64-bit toolchain file).
set(TARN_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${TARN_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB TARN_WIN32_PLATFORM_TESTS CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/platform/contract/*.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/platform/win32/*.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/platform/CommandLineTest.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/platform/Win32ContractEnvironment.cpp)
# The test programs' main puts the running Windows in force for the whole run.
add_library(tarn_win32_test_main STATIC ${CMAKE_CURRENT_SOURCE_DIR}/support/win32/TestMain.cpp)
target_link_libraries(tarn_win32_test_main PUBLIC tarn_core tarn_backend GTest::gtest)

add_executable(test_platform ${TARN_WIN32_PLATFORM_TESTS})
target_include_directories(test_platform PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(test_platform PRIVATE tarn_core tarn_backend tarn_win32_test_main GTest::gmock)
# The download cases need the loopback servers, which the Linux side starts around the run.
add_test(NAME platform
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/support/servers/with-servers.sh
                 ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:test_platform>)
set_tests_properties(platform PROPERTIES TIMEOUT 300)

# The uninstall window's UI driver (run by tests/ui/run-window-test.sh under Wine and a display),
# the tests of its window-free parts and of the window in the test's own process.
set(TARN_UI_DIR ${CMAKE_CURRENT_SOURCE_DIR}/ui)
add_library(tarn_ui_support STATIC ${TARN_UI_DIR}/Png.cpp ${TARN_UI_DIR}/DriverOptions.cpp)
target_include_directories(tarn_ui_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarn_ui_support PUBLIC ZLIB::ZLIB)
add_executable(uninstall_driver
  ${TARN_UI_DIR}/win32/UninstallDriver.cpp ${TARN_UI_DIR}/win32/LayoutCheck.cpp
  ${TARN_UI_DIR}/win32/Screenshot.cpp ${TARN_UI_DIR}/win32/WindowProbe.cpp)
target_include_directories(uninstall_driver PRIVATE ${PROJECT_SOURCE_DIR}/apps/uninstall/win32)
target_link_libraries(uninstall_driver PRIVATE tarn_ui_support gdi32 user32)
add_executable(test_ui ${TARN_UI_DIR}/PngTest.cpp ${TARN_UI_DIR}/DriverOptionsTest.cpp
  ${TARN_UI_DIR}/win32/UninstallWindowTest.cpp ${TARN_UI_DIR}/win32/ProgramArgumentsTest.cpp)
target_link_libraries(test_ui PRIVATE tarn_ui_support tarn_uninstall_window tarn_win32_test_main)
add_test(NAME ui COMMAND test_ui)

# The routines on the Windows versions Wine can pretend to be (run-versions.sh sets the prefix's
# version; without it the cases skip).
file(GLOB TARN_WIN32_ROUTINE_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/routines/win32/*.cpp)
add_executable(test_routines ${TARN_WIN32_ROUTINE_TESTS})
target_link_libraries(test_routines PRIVATE tarn_core tarn_backend tarn_win32_test_main)
add_test(NAME routines.versions
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/routines/win32/run-versions.sh
                 $<TARGET_FILE:test_routines>)
set_tests_properties(routines.versions PROPERTIES TIMEOUT 600)

# The whole-run scenario of the embedded machine's tests, repeated in a Wine prefix through the
# real window: it must leave the prefix exactly as the embedded machine is left.
# The pictures of the window (docs/) are taken on the way, into the build folder.
add_test(NAME uninstall.scenario
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/uninstall/scenario/run-wine.sh
                 $<TARGET_FILE:uninstall> $<TARGET_FILE:uninstall_driver> ${CMAKE_BINARY_DIR}/pictures)
set_tests_properties(uninstall.scenario PROPERTIES TIMEOUT 600)
add_test(NAME uninstall.scenario.german
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/uninstall/scenario/run-wine.sh
                 $<TARGET_FILE:uninstall> $<TARGET_FILE:uninstall_driver>)
set_tests_properties(uninstall.scenario.german PROPERTIES TIMEOUT 600 ENVIRONMENT SCENARIO=german)
# The runs of the window that stop or are refused.
add_test(NAME ui.window COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/ui/run-window-test.sh
                                ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/pictures)
set_tests_properties(ui.window PROPERTIES TIMEOUT 600)
