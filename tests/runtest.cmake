# Runs one test executable in a fresh working folder, with TMPDIR and
# XDG_CONFIG_HOME, XDG_DATA_HOME and HOME pointing inside it and the offscreen platform plugin.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/tmp" "${WORK_DIR}/config" "${WORK_DIR}/data" "${WORK_DIR}/home"
     "${WORK_DIR}/cwd" "${WORK_DIR}/runtime")
if(UNIX)
    # Qt insists that the runtime folder is private to the user.
    execute_process(COMMAND chmod 700 "${WORK_DIR}/runtime")
endif()
set(ENV{TMPDIR} "${WORK_DIR}/tmp")
set(ENV{XDG_CONFIG_HOME} "${WORK_DIR}/config")
set(ENV{XDG_DATA_HOME} "${WORK_DIR}/data")
set(ENV{HOME} "${WORK_DIR}/home")
set(ENV{XDG_RUNTIME_DIR} "${WORK_DIR}/runtime")
set(ENV{QT_QPA_PLATFORM} "offscreen")
execute_process(COMMAND "${TEST_BIN}" WORKING_DIRECTORY "${WORK_DIR}/cwd" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${TEST_BIN} exited with ${rc}")
endif()
