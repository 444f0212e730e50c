# The tests stamp versions into copies of a program file with the stamping tool.
if(TARGET integration_core_tests AND TARGET kova-stamp-version)
  add_dependencies(integration_core_tests kova-stamp-version)
  target_compile_definitions(integration_core_tests PRIVATE
    KOVA_STAMP_VERSION_COMMAND="$<TARGET_FILE:kova-stamp-version>")
endif()

# The program file of the server: it serves the command class to a client and refuses a start by hand.
add_executable(grantry Grantry_main.cpp)
target_link_libraries(grantry PRIVATE integration_core)

# The core's tests seed the ERP stand-in and run the program file.
if(TARGET integration_core_tests)
  if(TARGET platform_middleware)
    target_link_libraries(integration_core_tests PRIVATE platform_middleware)
  endif()
  add_dependencies(integration_core_tests grantry)
  target_compile_definitions(integration_core_tests PRIVATE GRANTRY_PROGRAM="$<TARGET_FILE:grantry>")
endif()
