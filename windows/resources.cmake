# Gives a Windows executable its icon, version information and manifest.
#   velmora_windows_resources(TARGET FILE_NAME DESCRIPTION)
function(velmora_windows_resources target file_name description)
    set(VELMORA_VERSION "${PROJECT_VERSION}")
    string(REPLACE "." "," VELMORA_VERSION_COMMAS "${PROJECT_VERSION}")
    set(VELMORA_ICON "${PROJECT_SOURCE_DIR}/res/velmora.ico")
    set(VELMORA_FILE_NAME "${file_name}")
    set(VELMORA_DESCRIPTION "${description}")
    set(VELMORA_MANIFEST "${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest")
    configure_file("${PROJECT_SOURCE_DIR}/windows/velmora.manifest" "${VELMORA_MANIFEST}" @ONLY)
    configure_file("${PROJECT_SOURCE_DIR}/windows/program.rc.in" "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc" @ONLY)
    target_sources(${target} PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
    # The resource compiler reads the icon and the manifest when they change.
    set_property(SOURCE "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc" APPEND PROPERTY OBJECT_DEPENDS
        "${VELMORA_ICON}" "${VELMORA_MANIFEST}")
endfunction()
