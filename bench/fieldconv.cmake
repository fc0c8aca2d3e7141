orvex_bench(fieldconv_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fieldconv_bench.cpp
            LIBS fieldconv_core)
