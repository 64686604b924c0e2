# qs_version_resource(TARGET DESCRIPTION): gives a Windows program a version resource with the
# project's version and the given (Swedish) file description. Nothing elsewhere.
function(qs_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(QS_RC_DESCRIPTION "${description}")
  set(QS_RC_INTERNAL_NAME "${target}")
  set(QS_RC_FILE_NAME "${target}.exe")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/version.rc.in" "${rc}" @ONLY)
  set_source_files_properties("${rc}" PROPERTIES COMPILE_OPTIONS "-c65001")
  target_sources(${target} PRIVATE "${rc}")
endfunction()
