# The main window's list rebuild and "Do Assignment " for registers of thousands.
add_tinselwick_benchmark(ui_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/UiBench.cpp LIBS tinselwick_ui)
# The desktop program from its start to its window's first paint, against a bare Qt window.
add_library(window_shown_probe MODULE ${CMAKE_CURRENT_LIST_DIR}/WindowShownProbe.cpp)
target_link_libraries(window_shown_probe PRIVATE Qt6::Widgets)
add_executable(bare_window_baseline ${CMAKE_CURRENT_LIST_DIR}/BareWindowBaseline.cpp)
target_link_libraries(bare_window_baseline PRIVATE Qt6::Widgets)
add_executable(window_start_bench ${CMAKE_CURRENT_LIST_DIR}/WindowStartBench.cpp)
target_link_libraries(window_start_bench PRIVATE benchmark::benchmark)
target_compile_definitions(window_start_bench PRIVATE TINSELWICK_PROGRAM="$<TARGET_FILE:tinselwick>"
  TINSELWICK_BARE_WINDOW="$<TARGET_FILE:bare_window_baseline>"
  TINSELWICK_WINDOW_PROBE="$<TARGET_FILE:window_shown_probe>")
add_dependencies(window_start_bench tinselwick bare_window_baseline window_shown_probe)
