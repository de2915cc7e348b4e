# The Windows launcher's tests: launcher_win_test starts launcher.exe (copied
# beside it) with chosen command lines and start-up info; the stand-in viewer
# beside it is copied as ruvok.exe where a test wants a viewer to be found.
add_executable(launcher_win_test launcher_win_test.cpp)
target_link_libraries(launcher_win_test PRIVATE ruvok_launcher_rules ruvok_warnings GTest::gtest_main)
add_dependencies(launcher_win_test launcher ruvok_standin)
add_custom_command(TARGET launcher_win_test POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:launcher> $<TARGET_FILE_DIR:launcher_win_test>/launcher.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:ruvok_standin> $<TARGET_FILE_DIR:launcher_win_test>/ruvok_standin.exe)
gtest_discover_tests(launcher_win_test DISCOVERY_TIMEOUT ${RUVOK_DISCOVERY_TIMEOUT})
