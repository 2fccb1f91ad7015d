# Vornapp: the start-up, the main window, the order entry form with its calendar, the
# About box and the splash window in the library vornapp_forms (so tests link the real
# windows), and the program itself.
find_package(Qt6 REQUIRED COMPONENTS Widgets PrintSupport Network)

set(VORNAPP_IMAGES
  images/logo.xpm images/neworder.xpm images/browse.xpm images/parts.xpm
  images/reports.xpm images/help.xpm images/close.xpm images/calendar.xpm)

add_library(vornapp_forms STATIC
  Startup.cpp Startup.h
  Main.cpp Main.h Main.ui
  order_form.cpp order_form_lang.cpp order_form.h order_form.ui
  date_form.cpp date_form.h date_form.ui
  About.cpp About.h About.ui
  Splash.cpp Splash.h Splash.ui)
set_target_properties(vornapp_forms PROPERTIES AUTOUIC ON)
# Main.h includes its generated form class, so users of the library need that folder.
target_include_directories(vornapp_forms PUBLIC
  ${PROJECT_SOURCE_DIR}
  ${CMAKE_CURRENT_BINARY_DIR}/vornapp_forms_autogen/include)
target_link_libraries(vornapp_forms PUBLIC datamod localization platform_datacontrols platform_widgets platform_data
  platform_core_locale Qt6::Widgets)
qt_add_resources(vornapp_forms vornapp_images PREFIX "/" FILES ${VORNAPP_IMAGES})

# The customer windows, the parts windows and the reports add their sources and
# tests to vornapp_forms from their own files.
include(${CMAKE_CURRENT_SOURCE_DIR}/Customers.cmake)
include(${CMAKE_CURRENT_SOURCE_DIR}/Parts.cmake)
include(${CMAKE_CURRENT_SOURCE_DIR}/Reports.cmake)

# The help file lies beside the program, where Application looks for "VORNAPP.HLP".
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/VORNAPP.html
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_CURRENT_SOURCE_DIR}/help/VORNAPP.html
          ${CMAKE_CURRENT_BINARY_DIR}/VORNAPP.html
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/help/VORNAPP.html)
add_custom_target(vornapp_help DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/VORNAPP.html)

# The language file lies beside the program too. The program rewrites it on every close
# of the order form, so a copy newer than the source (translations made with the
# language wizard) is kept until the source itself changes.
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/lang.xml
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/lang.xml ${CMAKE_CURRENT_BINARY_DIR}/lang.xml
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/lang.xml)
add_custom_target(vornapp_lang DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/lang.xml)

add_executable(Vornapp main.cpp)
target_link_libraries(Vornapp PRIVATE vornapp_forms)
add_dependencies(Vornapp vornapp_help vornapp_lang)

# Redraws the committed pictures: vornapp_drawimages orderentry/images
add_executable(vornapp_drawimages EXCLUDE_FROM_ALL images/drawimages.cpp)
target_link_libraries(vornapp_drawimages PRIVATE Qt6::Gui)

quorvale_test(main_form_test tests/main_form_test.cpp tests/main_fixture.h
  LIBS vornapp_forms testsupport Qt6::Network)
target_compile_definitions(main_form_test PRIVATE
  VORNAPP_HELP_FILE="${CMAKE_CURRENT_SOURCE_DIR}/help/VORNAPP.html")
quorvale_test(order_form_test tests/order_form_test.cpp tests/order_fixture.h
  LIBS vornapp_forms testsupport)
quorvale_test(order_form_lang_test tests/order_form_lang_test.cpp tests/order_fixture.h
  LIBS vornapp_forms testsupport)
# The shipped language file is read as the program reads it.
target_compile_definitions(order_form_lang_test PRIVATE
  VORNAPP_LANG_FILE="${CMAKE_CURRENT_SOURCE_DIR}/lang.xml")
quorvale_test(main_storage_fb_test tests/main_storage_fb_test.cpp tests/main_fixture.h
  LIBS vornapp_forms testsupport LABELS firebird)
quorvale_test(startup_test tests/startup_test.cpp tests/main_fixture.h
  LIBS vornapp_forms testsupport)
# The program itself is started, to end it by a signal.
target_compile_definitions(startup_test PRIVATE VORNAPP_PROGRAM="$<TARGET_FILE:Vornapp>")
add_dependencies(startup_test Vornapp)
quorvale_test(order_form_wizard_test tests/order_form_wizard_test.cpp tests/order_fixture.h
  ../localization/tests/wizarddriver.h
  LIBS vornapp_forms testsupport)
# The restart starts from the shipped language file.
target_compile_definitions(order_form_wizard_test PRIVATE
  VORNAPP_LANG_FILE="${CMAKE_CURRENT_SOURCE_DIR}/lang.xml")
