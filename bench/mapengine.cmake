# Map server: gridding scattered points and drawing an A4 map to PNG.
if(ORVEX_BUILD_GUI)
  orvex_bench(mapengine_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/mapengine_bench.cpp
              LIBS mapengine_render)
endif()
