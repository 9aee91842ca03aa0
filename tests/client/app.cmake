# Tests of the client program: the widget-free logic, the windows, the
# conversation with a fake server, the real binary, and the real server core.
school_add_test(tst_addressline SOURCES tst_addressline.cpp LIBS clientui)
school_add_test(tst_clientprotocol SOURCES tst_clientprotocol.cpp LIBS clientui)
school_add_test(tst_clientdata SOURCES tst_clientdata.cpp tst_clienthelpers.h LIBS clientui)
school_add_test(tst_passwordwindow SOURCES tst_passwordwindow.cpp LIBS clientui)
school_add_test(tst_questtestunit SOURCES tst_questtestunit.cpp LIBS clientui)
school_add_test(tst_client SOURCES tst_client.cpp tst_clienthelpers.h tst_clientfakeserver.h LIBS clientui)
school_add_test(tst_clientendtoend SOURCES tst_clientendtoend.cpp tst_clienthelpers.h LIBS clientui servercore)
school_add_test(tst_clientprocess SOURCES tst_clientprocess.cpp tst_clientfakeserver.h LIBS common)
target_compile_definitions(tst_clientprocess PRIVATE CLIENT_BINARY="$<TARGET_FILE:client>")
add_dependencies(tst_clientprocess client)
# The real client always dials the fixed server port: tests that need that
# port take this lock, so that a parallel run never gives it to two of them.
set_tests_properties(tst_clientprocess PROPERTIES RESOURCE_LOCK server_port_23432)
# The longest tests start first in a parallel run, even without timings of
# an earlier run.
set_tests_properties(tst_client tst_clientprocess tst_clientendtoend PROPERTIES COST 100)
