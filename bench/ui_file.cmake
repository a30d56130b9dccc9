# The File menu through the main window: Retrieve and Save of documents up to the
# largest the format holds.
add_tinselwick_benchmark(ui_file_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/UiFileBench.cpp LIBS tinselwick_ui)
