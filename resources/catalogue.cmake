# The pre-built catalogue database, made from its schema with the sqlite3 command line.
# The schema itself is a build input only, not part of the bundle.
find_program(SQLITE3_COMMAND sqlite3 REQUIRED)
set(catalogue_schema ${CMAKE_CURRENT_SOURCE_DIR}/TrelvoQuest.schema.sql)
set(catalogue_database ${TQ_BUNDLE_DIR}/TrelvoQuest.sqlite3)
list(REMOVE_ITEM bundle_outputs ${TQ_BUNDLE_DIR}/TrelvoQuest.schema.sql)
add_custom_command(
  OUTPUT ${catalogue_database}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TQ_BUNDLE_DIR}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${catalogue_database}.tmp
  COMMAND ${SQLITE3_COMMAND} -bail ${catalogue_database}.tmp ".read '${catalogue_schema}'"
  COMMAND ${CMAKE_COMMAND} -E rename ${catalogue_database}.tmp ${catalogue_database}
  DEPENDS ${catalogue_schema}
  COMMENT "Building the catalogue database"
  VERBATIM)
list(APPEND bundle_outputs ${catalogue_database})
