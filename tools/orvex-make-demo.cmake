add_executable(orvex-make-demo ${CMAKE_CURRENT_SOURCE_DIR}/orvex-make-demo.cpp)
target_link_libraries(orvex-make-demo PRIVATE survey_core fieldconv_core orvex_common)
