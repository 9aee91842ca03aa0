# Result selection, charts, legend and CSV export of the client's result tabs,
# and the client's Windows-1251 texts (the CSV header is among them).
# Included from client/, so paths are taken from this file's own folder.
set(results_dir ${CMAKE_CURRENT_LIST_DIR})
add_library(clientresults STATIC
    ${results_dir}/chartresult.cpp ${results_dir}/chartresult.h
    ${results_dir}/clienttexts.cpp ${results_dir}/clienttexts.h
    ${results_dir}/csvtransform.cpp ${results_dir}/csvtransform.h
    ${results_dir}/graphdiagram.cpp ${results_dir}/graphdiagram.h ${results_dir}/graphdiagram.ui
    ${results_dir}/graphpainter.cpp ${results_dir}/graphpainter.h ${results_dir}/graphpainter.ui
    ${results_dir}/graphunit.cpp ${results_dir}/graphunit.h ${results_dir}/graphunit.ui
    ${results_dir}/legendcolor.cpp ${results_dir}/legendcolor.h ${results_dir}/legendcolor.ui
    ${results_dir}/resulttab.cpp ${results_dir}/resulttab.h
    ${results_dir}/setshown.h
    ${results_dir}/unitwidgetlegend.cpp ${results_dir}/unitwidgetlegend.h ${results_dir}/unitwidgetlegend.ui
    ${results_dir}/widgetlegend.cpp ${results_dir}/widgetlegend.h ${results_dir}/widgetlegend.ui
)
target_include_directories(clientresults PUBLIC ${results_dir})
target_link_libraries(clientresults PUBLIC common Qt5::Widgets)
