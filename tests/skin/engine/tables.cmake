# The skin tables, their loaders, the stored skins and the helpers they share.
dravolin_test(skin_tables_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/sutils_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/sgradient_test.cpp ${CMAKE_CURRENT_LIST_DIR}/sskintables_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/sstoredskin_test.cpp ${CMAKE_CURRENT_LIST_DIR}/sskinload_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/skin_fuzz_test.cpp
  DEPENDS skin_engine)
