# kova_library(<target> SOURCES ... DEPENDS ...)
# One static library per folder; every *_test.cpp in the folder becomes part of one test
# executable for that folder, registered with CTest.
function(kova_library target)
  cmake_parse_arguments(K "" "" "SOURCES;DEPENDS;TEST_DEPENDS" ${ARGN})
  add_library(${target} STATIC ${K_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${K_DEPENDS})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(tests)
    add_executable(${target}_tests ${tests})
    target_link_libraries(${target}_tests PRIVATE ${target} ${K_TEST_DEPENDS} kova_testsupport GTest::gtest_main)
    if(KOVA_PRECOMPILE_TEST_HEADERS)
      target_precompile_headers(${target}_tests PRIVATE <gtest/gtest.h> <gmock/gmock.h> <filesystem> <functional>
                                <map> <memory> <string> <vector>)
    endif()
    gtest_discover_tests(${target}_tests TEST_PREFIX ${target}. DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
  endif()
endfunction()
