# servercore: the data files and the client connections, without widgets.
add_library(servercore STATIC
    ${CMAKE_CURRENT_LIST_DIR}/storage/datastore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/storage/datastore.h
    ${CMAKE_CURRENT_LIST_DIR}/storage/storeindex.cpp
    ${CMAKE_CURRENT_LIST_DIR}/storage/storeindex.h
    ${CMAKE_CURRENT_LIST_DIR}/network/cliententry.h
    ${CMAKE_CURRENT_LIST_DIR}/network/connectionserver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/network/connectionserver.h
    ${CMAKE_CURRENT_LIST_DIR}/network/requesthandler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/network/requesthandler.h
)
target_include_directories(servercore PUBLIC
    ${CMAKE_CURRENT_LIST_DIR}/storage
    ${CMAKE_CURRENT_LIST_DIR}/network
)
target_link_libraries(servercore PUBLIC common Qt5::Network)
