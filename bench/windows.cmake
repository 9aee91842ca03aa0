# bench_windows: the real server and client windows on 65 535 answers.
add_executable(bench_windows ${CMAKE_CURRENT_LIST_DIR}/bench_windows.cpp)
target_link_libraries(bench_windows PRIVATE benchsupport serverui clientui)
