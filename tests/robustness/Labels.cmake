# Read by ctest after the tests are discovered: the long crash and huge-file tests carry the
# label "robustness", so a run can pick them (-L robustness) or leave them out (-LE robustness).
foreach(test IN LISTS wexfold_robustness_tests_TESTS wexfold_app_tests_TESTS)
    if(test MATCHES "^(SiteListCrash|ReportCommandHugeLog|HugeLogReport|HostileImport)\\.")
        set_tests_properties("${test}" PROPERTIES LABELS robustness)
    endif()
endforeach()
# The long runs against broken servers and of the headless mode carry the label "reliability".
foreach(test IN LISTS wexfold_reliability_tests_TESTS)
    if(test MATCHES "^(FaultRunTest|SoakTest)\\.")
        set_tests_properties("${test}" PROPERTIES LABELS reliability TIMEOUT 1200)
    endif()
endforeach()
