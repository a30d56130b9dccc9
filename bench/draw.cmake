# The draw next to the least work any draw can do: one Fisher-Yates shuffle of n indices.
add_tinselwick_benchmark(draw_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DrawBench.cpp LIBS tinselwick_draw)
