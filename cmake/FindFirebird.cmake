# Finds the Firebird client library and defines the imported target Firebird::fbclient
# (ibase.h and libfbclient). Debian ships both in the package firebird-dev.
#
# The target is global: platform_data links it, and the programs and tests that link
# platform_data in other folders must see the same name when they resolve its link line.

include(FindPackageHandleStandardArgs)

find_path(Firebird_INCLUDE_DIR ibase.h PATH_SUFFIXES firebird)
find_library(Firebird_LIBRARY NAMES fbclient)
mark_as_advanced(Firebird_INCLUDE_DIR Firebird_LIBRARY)

find_package_handle_standard_args(Firebird
  REQUIRED_VARS Firebird_LIBRARY Firebird_INCLUDE_DIR
  REASON_FAILURE_MESSAGE "the Firebird client library (ibase.h, libfbclient) is missing: install the Debian package firebird-dev")

if(Firebird_FOUND AND NOT TARGET Firebird::fbclient)
  add_library(Firebird::fbclient UNKNOWN IMPORTED GLOBAL)
  set_target_properties(Firebird::fbclient PROPERTIES
    IMPORTED_LOCATION "${Firebird_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${Firebird_INCLUDE_DIR}")
endif()
