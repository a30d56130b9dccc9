# Letters and allocation list: whole PDF jobs on Qt's printer, and the layout alone.
add_tinselwick_benchmark(print_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/PrintBench.cpp
  LIBS tinselwick_print_qt tinselwick_register Qt6::Gui)
