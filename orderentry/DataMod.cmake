# The order-entry data module and its rules, with their tests.
add_library(datamod STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/DataMod.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/DataMod.h
  ${CMAKE_CURRENT_SOURCE_DIR}/DataMod_Rules.cpp)
target_include_directories(datamod PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(datamod PUBLIC platform_data platform_widgets xmllib)

# Enters orders through VornData in a process of its own, for the tests that run
# several programs on one database at once.
add_executable(datamod_orderer ${CMAKE_CURRENT_SOURCE_DIR}/tests/datamod_orderer.cpp)
target_link_libraries(datamod_orderer PRIVATE datamod testsupport)

set(datamod_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/tests)

quorvale_test(datamod_storage_test ${datamod_test_dir}/datamod_storage_test.cpp ${datamod_test_dir}/datamod_fixture.h
  LIBS datamod testsupport)

quorvale_test(datamod_fields_test ${datamod_test_dir}/datamod_fields_test.cpp ${datamod_test_dir}/datamod_fixture.h
  LIBS datamod testsupport)

# The rules, the date-range queries and several programs at once, each from one source
# on local data and on the server.
foreach(suite rules queries processes)
  foreach(variant local firebird)
    set(name datamod_${suite}_${variant}_test)
    quorvale_test(${name} ${datamod_test_dir}/datamod_${suite}_test.cpp ${datamod_test_dir}/datamod_fixture.h
      LIBS datamod testsupport)
    if(variant STREQUAL firebird)
      set_tests_properties(${name} PROPERTIES LABELS firebird)
      target_compile_definitions(${name} PRIVATE QUORVALE_TEST_FIREBIRD)
    endif()
  endforeach()
endforeach()

foreach(variant local firebird)
  target_compile_definitions(datamod_processes_${variant}_test PRIVATE DATAMOD_ORDERER="$<TARGET_FILE:datamod_orderer>")
  add_dependencies(datamod_processes_${variant}_test datamod_orderer)
endforeach()
