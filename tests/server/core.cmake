# Tests of the server core (servercore): data files, request handling and
# client connections over loopback sockets.
school_add_test(tst_datastore SOURCES tst_datastore.cpp tst_corefixtures.h LIBS servercore)
school_add_test(tst_requesthandler SOURCES tst_requesthandler.cpp tst_corefixtures.h LIBS servercore)
school_add_test(tst_connectionserver SOURCES tst_connectionserver.cpp tst_corefixtures.h LIBS servercore)
school_add_test(tst_storeindex SOURCES tst_storeindex.cpp tst_corefixtures.h LIBS servercore)
