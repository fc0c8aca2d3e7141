orvex_bench(processing_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/processing_bench.cpp
            LIBS processing_core survey_core)
