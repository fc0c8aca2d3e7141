add_executable(orvex-process ${CMAKE_CURRENT_SOURCE_DIR}/orvex-process.cpp)
target_link_libraries(orvex-process PRIVATE surfer_core processing_core survey_core)
