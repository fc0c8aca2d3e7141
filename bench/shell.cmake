if(TARGET survey_ui)
  orvex_bench(shell_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_bench.cpp LIBS survey_ui)
endif()
