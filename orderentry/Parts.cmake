# Parts windows of Vornapp: the parts browser, the part form and the part search, with
# their tests.
target_sources(vornapp_forms PRIVATE
  parts_form.cpp parts_form.h parts_form.ui
  edparts_form.cpp edparts_form.h edparts_form.ui
  search_dlg.cpp search_dlg.h search_dlg.ui
  beep.cpp beep.h)

quorvale_test(parts_form_test tests/parts_form_test.cpp tests/parts_fixture.h tests/order_fixture.h
  LIBS vornapp_forms testsupport)
quorvale_test(search_dlg_test tests/search_dlg_test.cpp tests/parts_fixture.h tests/order_fixture.h
  LIBS vornapp_forms testsupport)
