# bench_server: the server core at the limits of the file format.
add_executable(bench_server ${CMAKE_CURRENT_LIST_DIR}/bench_server.cpp)
target_link_libraries(bench_server PRIVATE benchsupport servercore)
