# Tests of the client's result tabs (clientresults).
set(results_tests ${CMAKE_CURRENT_LIST_DIR}/results)
foreach(test tst_chartresult tst_csvtransform tst_resultwidgets tst_resulttab)
    school_add_test(${test}
        SOURCES ${results_tests}/${test}.cpp ${results_tests}/answerfixture.h
        LIBS clientresults)
endforeach()
school_add_test(tst_clienttexts SOURCES ${results_tests}/tst_clienttexts.cpp LIBS clientresults)
