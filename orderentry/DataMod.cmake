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
target_link_libraries(datamod_orderer PRIVATE datamod)

set(datamod_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/tests)

quorvale_test(datamod_rules_test ${datamod_test_dir}/datamod_rules_test.cpp ${datamod_test_dir}/datamod_fixture.h
  LIBS datamod orderdata testsupport)

quorvale_test(datamod_storage_test ${datamod_test_dir}/datamod_storage_test.cpp ${datamod_test_dir}/datamod_fixture.h
  LIBS datamod orderdata testsupport)

quorvale_test(datamod_fields_test ${datamod_test_dir}/datamod_fields_test.cpp ${datamod_test_dir}/datamod_fixture.h
  LIBS datamod orderdata testsupport)

quorvale_test(datamod_firebird_test ${datamod_test_dir}/datamod_firebird_test.cpp ${datamod_test_dir}/datamod_fixture.h
  LIBS datamod orderdata testsupport LABELS firebird)

foreach(variant local firebird)
  set(name datamod_processes_${variant}_test)
  if(variant STREQUAL firebird)
    quorvale_test(${name} ${datamod_test_dir}/datamod_processes_test.cpp ${datamod_test_dir}/datamod_fixture.h
      LIBS datamod orderdata testsupport LABELS firebird)
    target_compile_definitions(${name} PRIVATE DATAMOD_TEST_FIREBIRD)
  else()
    quorvale_test(${name} ${datamod_test_dir}/datamod_processes_test.cpp ${datamod_test_dir}/datamod_fixture.h
      LIBS datamod orderdata testsupport)
  endif()
  target_compile_definitions(${name} PRIVATE DATAMOD_ORDERER="$<TARGET_FILE:datamod_orderer>")
  add_dependencies(${name} datamod_orderer)
endforeach()

# The date-range queries on the builder's data, on local data and on the server.
foreach(variant local firebird)
  set(name datamod_queries_${variant}_test)
  if(variant STREQUAL firebird)
    quorvale_test(${name} ${datamod_test_dir}/datamod_queries_test.cpp ${datamod_test_dir}/datamod_fixture.h
      LIBS datamod orderdata testsupport LABELS firebird)
    target_compile_definitions(${name} PRIVATE DATAMOD_TEST_FIREBIRD)
  else()
    quorvale_test(${name} ${datamod_test_dir}/datamod_queries_test.cpp ${datamod_test_dir}/datamod_fixture.h
      LIBS datamod orderdata testsupport)
  endif()
endforeach()
