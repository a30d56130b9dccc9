# The draw next to the least work any draw can do: one Fisher-Yates shuffle of n indices.
add_tinselwick_benchmark(draw_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DrawBench.cpp LIBS tinselwick_draw)
# The draw without a seed (the secure generator) against the seeded one, on 30,000 participants.
add_tinselwick_benchmark(unseeded_draw_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/UnseededDrawBench.cpp
  LIBS tinselwick_draw)
# The draw with rules (exclusions, one circle) on 30,000 participants, the plain draw beside.
add_tinselwick_benchmark(ruled_draw_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/RuledDrawBench.cpp LIBS tinselwick_draw)
# tinselwick-cli draw as a whole process, against the least a process that draws can do.
add_executable(draw_process_baseline ${CMAKE_CURRENT_LIST_DIR}/DrawProcessBaseline.cpp)
target_include_directories(draw_process_baseline PRIVATE ${PROJECT_SOURCE_DIR}/src)
add_tinselwick_benchmark(draw_process_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/DrawProcessBench.cpp
  LIBS tinselwick_register)
target_compile_definitions(draw_process_bench PRIVATE TINSELWICK_CLI="$<TARGET_FILE:tinselwick-cli>"
  TINSELWICK_DRAW_BASELINE="$<TARGET_FILE:draw_process_baseline>")
add_dependencies(draw_process_bench tinselwick-cli draw_process_baseline)
