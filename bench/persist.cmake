# Writing and reading whole kks documents, in memory and through a file.
add_tinselwick_benchmark(document_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DocumentBench.cpp
  LIBS tinselwick_register)
