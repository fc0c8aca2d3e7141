add_executable(orvex-info ${CMAKE_CURRENT_SOURCE_DIR}/orvex-info.cpp)
target_link_libraries(orvex-info PRIVATE survey_core)
