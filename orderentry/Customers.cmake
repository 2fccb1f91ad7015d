# The customer windows of Vornapp: the customers' browser, the date-range dialog and the
# customer form, in vornapp_forms beside the other windows.
target_sources(vornapp_forms PRIVATE
  custord_form.cpp custord_form.h custord_form.ui
  querycust_dlg.cpp querycust_dlg.h querycust_dlg.ui
  edcust_form.cpp edcust_form.h edcust_form.ui)

quorvale_test(querycust_test tests/querycust_test.cpp tests/order_fixture.h
  LIBS vornapp_forms testsupport)
quorvale_test(custord_test tests/custord_test.cpp tests/order_fixture.h
  LIBS vornapp_forms testsupport Qt6::Sql)
