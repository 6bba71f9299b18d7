vmx_test(NAME test_worker_thread KIND win LIBS vmx_tasks vmx_resources SOURCES
    tests/utility/core/WorkerThreadTest.cpp)

vmx_test(NAME test_task_driver KIND win LIBS vmx_tasks vmx_resources SOURCES
    tests/utility/core/TaskDriverTest.cpp)

vmx_test(NAME test_task_setting KIND win LIBS vmx_tasks vmx_resources SOURCES
    tests/utility/core/TaskSettingTest.cpp)

vmx_test(NAME test_task_files KIND win LIBS vmx_tasks vmx_resources SOURCES
    tests/utility/core/TaskFilesTest.cpp)

vmx_test(NAME test_manager KIND win LIBS vmx_manager SOURCES
    tests/utility/core/ManagerTest.cpp)

# End to end with the real stand-in, started as a child process.
if(TARGET VelmoraEXStandin)
    vmx_test(NAME test_task_standin KIND win TIMEOUT 180 LIBS vmx_tasks vmx_resources vmx_standin_core SOURCES
        tests/utility/core/TaskStandinTest.cpp)
    if(TARGET test_task_standin)
        add_dependencies(test_task_standin VelmoraEXStandin)
    endif()
endif()

vmx_test(NAME test_task_vlink KIND win LIBS vmx_tasks vmx_resources SOURCES
    tests/utility/core/TaskVlinkTest.cpp)
