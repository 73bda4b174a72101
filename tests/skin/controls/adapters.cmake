# Control adapters: a grid skinned by name on a shown form, and the small toolkit grid itself.
dravolin_test(skin_adapters_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/adapters_test.cpp ${PROJECT_SOURCE_DIR}/tests/skin/engine/skin_test_support.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls DESKTOP)
target_compile_definitions(skin_adapters_test PRIVATE "DRAVOLIN_SKIN_DIR=\"Z:${CMAKE_BINARY_DIR}/resources/skin\"")
add_dependencies(skin_adapters_test dravolin_bitmaps)
