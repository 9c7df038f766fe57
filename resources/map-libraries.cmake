# The map pages' libraries, taken at build time from Debian's libjs-leaflet and libjs-jquery.
# The pages load jQuery under the name jquery-3.3.1.min.js.
set(map_library_files
    "leaflet.js=/usr/share/javascript/leaflet/leaflet.js"
    "leaflet.css=/usr/share/javascript/leaflet/leaflet.css"
    "jquery-3.3.1.min.js=/usr/share/javascript/jquery/jquery.min.js")
foreach(entry ${map_library_files})
  string(REPLACE "=" ";" pair ${entry})
  list(GET pair 0 bundle_name)
  list(GET pair 1 system_file)
  if(NOT EXISTS ${system_file})
    message(FATAL_ERROR "${system_file} is missing: install libjs-leaflet and libjs-jquery (scripts/setup)")
  endif()
  add_custom_command(OUTPUT ${TQ_BUNDLE_DIR}/${bundle_name}
                     COMMAND ${CMAKE_COMMAND} -E copy ${system_file} ${TQ_BUNDLE_DIR}/${bundle_name}
                     DEPENDS ${system_file}
                     VERBATIM)
  list(APPEND bundle_outputs ${TQ_BUNDLE_DIR}/${bundle_name})
endforeach()
