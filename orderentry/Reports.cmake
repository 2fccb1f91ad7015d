# Reports windows of Vornapp: the report selection dialog, the order-number picker, the
# three reports on the report engine and the batch command line, with their tests.
target_sources(vornapp_forms PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/pickrpt_dlg.cpp ${CMAKE_CURRENT_SOURCE_DIR}/pickrpt_dlg.h
  ${CMAKE_CURRENT_SOURCE_DIR}/pickrpt_dlg.ui
  ${CMAKE_CURRENT_SOURCE_DIR}/pickorderno_dlg.cpp ${CMAKE_CURRENT_SOURCE_DIR}/pickorderno_dlg.h
  ${CMAKE_CURRENT_SOURCE_DIR}/pickorderno_dlg.ui
  ${CMAKE_CURRENT_SOURCE_DIR}/report_parts.cpp ${CMAKE_CURRENT_SOURCE_DIR}/report_parts.h
  ${CMAKE_CURRENT_SOURCE_DIR}/customer_report.cpp ${CMAKE_CURRENT_SOURCE_DIR}/customer_report.h
  ${CMAKE_CURRENT_SOURCE_DIR}/orders_report.cpp ${CMAKE_CURRENT_SOURCE_DIR}/orders_report.h
  ${CMAKE_CURRENT_SOURCE_DIR}/invoice_report.cpp ${CMAKE_CURRENT_SOURCE_DIR}/invoice_report.h
  ${CMAKE_CURRENT_SOURCE_DIR}/report_batch.cpp ${CMAKE_CURRENT_SOURCE_DIR}/report_batch.h)
target_link_libraries(vornapp_forms PUBLIC platform_reports)

quorvale_test(report_dialogs_test tests/report_dialogs_test.cpp tests/order_fixture.h
  LIBS vornapp_forms testsupport)
quorvale_test(report_batch_test tests/report_batch_test.cpp tests/reports_fixture.h tests/order_fixture.h
  LIBS vornapp_forms testsupport)
# Whole batch runs start the program itself.
target_compile_definitions(report_batch_test PRIVATE VORNAPP_PROGRAM="$<TARGET_FILE:Vornapp>")
add_dependencies(report_batch_test Vornapp)
quorvale_test(reports_test tests/reports_test.cpp tests/reports_fixture.h tests/order_fixture.h
  LIBS vornapp_forms testsupport)
