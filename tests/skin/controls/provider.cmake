# The form skin provider: modes, messages, metrics, frame painting and the window region, on
# shown test forms (a skin built in memory, and the internal skin for its frame's pixels).
dravolin_test(skin_provider_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/provider_test.cpp ${PROJECT_SOURCE_DIR}/tests/skin/engine/skin_test_support.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls RESOURCES DESKTOP)
target_compile_definitions(skin_provider_test PRIVATE "DRAVOLIN_SKIN_DIR=\"Z:${CMAKE_BINARY_DIR}/resources/skin\"")
target_include_directories(skin_provider_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/skin/engine)
add_dependencies(skin_provider_test dravolin_bitmaps)
