# Tests of the server window (serverui): the editor, account, history and
# season logic without a window, and the real window driven offscreen.
school_add_test(tst_questioneditor SOURCES tst_questioneditor.cpp tst_serverfixtures.h LIBS serverui)
school_add_test(tst_accountlogic SOURCES tst_accountlogic.cpp tst_serverfixtures.h LIBS serverui)
school_add_test(tst_historyfilter SOURCES tst_historyfilter.cpp tst_serverfixtures.h LIBS serverui)
school_add_test(tst_season SOURCES tst_season.cpp tst_serverfixtures.h LIBS serverui)
school_add_test(tst_serverwindow SOURCES tst_serverwindow.cpp tst_serverfixtures.h LIBS serverui)
school_add_test(tst_serverwindow_editor SOURCES tst_serverwindow_editor.cpp tst_serverfixtures.h LIBS serverui)
school_add_test(tst_serverwindow_accounts SOURCES tst_serverwindow_accounts.cpp tst_serverfixtures.h LIBS serverui)
school_add_test(tst_serverwindow_history SOURCES tst_serverwindow_history.cpp tst_serverfixtures.h LIBS serverui)
