# The draw next to the least work any draw can do: one Fisher-Yates shuffle of n indices.
add_tinselwick_benchmark(draw_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DrawBench.cpp LIBS tinselwick_draw)
# The draw with rules (exclusions, one circle) on 30,000 participants, the plain draw beside.
add_tinselwick_benchmark(ruled_draw_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/RuledDrawBench.cpp LIBS tinselwick_draw)
