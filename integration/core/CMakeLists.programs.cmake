# The tests stamp versions into copies of a program file with the stamping tool.
if(TARGET integration_core_tests AND TARGET kova-stamp-version)
  add_dependencies(integration_core_tests kova-stamp-version)
  target_compile_definitions(integration_core_tests PRIVATE
    KOVA_STAMP_VERSION_COMMAND="$<TARGET_FILE:kova-stamp-version>")
endif()
