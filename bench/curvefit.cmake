orvex_bench(curvefit_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/curvefit_bench.cpp LIBS curvefit)
