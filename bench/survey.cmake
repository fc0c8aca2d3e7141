orvex_bench(survey_load_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/survey_load_bench.cpp
            LIBS survey_core)
