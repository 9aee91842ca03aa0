# The client's windows (clientui), the client program, and the files it
# reads: the two pictures and the help document.
# Included from client/CMakeLists.txt.

add_library(clientui STATIC
    addressline.cpp addressline.h
    client.cpp client.h client.ui client.qrc
    clientdata.cpp clientdata.h
    clientfiles.cpp clientfiles.h
    clientprotocol.cpp clientprotocol.h
    firstmessagew.cpp firstmessagew.h firstmessagew.ui
    passwordwindow.cpp passwordwindow.h passwordwindow.ui
    questtestunit.cpp questtestunit.h questtestunit.ui
)
target_include_directories(clientui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(clientui PUBLIC clientresults sharedwidgets common Qt5::Widgets Qt5::Network)

add_executable(client WIN32 main.cpp)
target_link_libraries(client PRIVATE clientui)

# The help document is written from its HTML source at build time.
add_executable(client_helpdoc tools/helpdoc.cpp)
target_link_libraries(client_helpdoc PRIVATE Qt5::Gui)
set(client_help_pdf ${CMAKE_CURRENT_BINARY_DIR}/help/file.pdf)
add_custom_command(
    OUTPUT ${client_help_pdf}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/help
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:client_helpdoc> ${CMAKE_CURRENT_SOURCE_DIR}/resources/help.html ${client_help_pdf}
    DEPENDS client_helpdoc ${CMAKE_CURRENT_SOURCE_DIR}/resources/help.html
    COMMENT "Writing the client's help document file.pdf"
    VERBATIM)
add_custom_target(client_help DEPENDS ${client_help_pdf})
add_dependencies(client client_help)

# The client finds these beside itself when started from the build folder
# (clientfiles.h); packaging/ installs them into the data folder.
add_custom_command(TARGET client POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${CMAKE_CURRENT_SOURCE_DIR}/resources/pikto.png
            ${CMAKE_CURRENT_SOURCE_DIR}/resources/pikto_first.png
            ${client_help_pdf}
            $<TARGET_FILE_DIR:client>
    VERBATIM)

# Redraws the emblem pictures and the window icon kept in resources/:
#   cmake --build BUILD --target client_emblem && BUILD/client/client_emblem client/resources
add_executable(client_emblem EXCLUDE_FROM_ALL tools/emblem.cpp)
target_link_libraries(client_emblem PRIVATE Qt5::Gui)
