# Tests of the client's result tabs (clientresults).
set(results_tests ${CMAKE_CURRENT_LIST_DIR}/results)
school_add_test(tst_chartresult
    SOURCES ${results_tests}/tst_chartresult.cpp ${results_tests}/answerfixture.h
    LIBS clientresults)
school_add_test(tst_csvtransform
    SOURCES ${results_tests}/tst_csvtransform.cpp ${results_tests}/answerfixture.h
    LIBS clientresults)
school_add_test(tst_resultwidgets
    SOURCES ${results_tests}/tst_resultwidgets.cpp ${results_tests}/answerfixture.h
    LIBS clientresults)
school_add_test(tst_resulttab
    SOURCES ${results_tests}/tst_resulttab.cpp ${results_tests}/answerfixture.h
    LIBS clientresults)
