# The main window's list rebuild and "Do Assignment " for registers of thousands.
add_tinselwick_benchmark(ui_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/UiBench.cpp LIBS tinselwick_ui)
