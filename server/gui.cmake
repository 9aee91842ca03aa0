# serverui: the administrator's window with its editor, account, history and
# season logic, in a library so that the GUI tests link it without main.cpp.
add_library(serverui STATIC
    ${CMAKE_CURRENT_LIST_DIR}/server.cpp
    ${CMAKE_CURRENT_LIST_DIR}/server.h
    ${CMAKE_CURRENT_LIST_DIR}/server.ui
    ${CMAKE_CURRENT_LIST_DIR}/admin/accountlogic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/admin/accountlogic.h
    ${CMAKE_CURRENT_LIST_DIR}/admin/admintexts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/admin/admintexts.h
    ${CMAKE_CURRENT_LIST_DIR}/admin/dialoguser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/admin/dialoguser.h
    ${CMAKE_CURRENT_LIST_DIR}/admin/dialoguser.ui
    ${CMAKE_CURRENT_LIST_DIR}/admin/editquestunit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/admin/editquestunit.h
    ${CMAKE_CURRENT_LIST_DIR}/admin/editquestunit.ui
    ${CMAKE_CURRENT_LIST_DIR}/admin/historyfilter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/admin/historyfilter.h
    ${CMAKE_CURRENT_LIST_DIR}/admin/questioneditor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/admin/questioneditor.h
    ${CMAKE_CURRENT_LIST_DIR}/admin/season.cpp
    ${CMAKE_CURRENT_LIST_DIR}/admin/season.h
)
target_include_directories(serverui PUBLIC
    ${CMAKE_CURRENT_LIST_DIR}
    ${CMAKE_CURRENT_LIST_DIR}/admin
)
target_link_libraries(serverui PUBLIC servercore sharedwidgets common Qt5::Widgets)

add_executable(server WIN32 ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(server PRIVATE serverui)
