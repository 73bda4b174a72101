# The style property objects and the glyph mode: defaults, form definitions, the percentage
# rules, invalidation of the owning style and the caption label.
dravolin_test(skin_props_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/styleprops_test.cpp ${CMAKE_CURRENT_LIST_DIR}/glyphmode_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/styleprops_owner_test.cpp
  DEPENDS skin_engine)
# The built-in glyphs and the stored borders as the program carries them.
dravolin_test(skin_glyph_resources_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/glyphresources_test.cpp
  DEPENDS skin_engine RESOURCES)
