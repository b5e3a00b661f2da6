# tidewake_install_file(SOURCE FOLDER NAME MODE COMPONENT) installs SOURCE as FOLDER/NAME
# with what depends on the prefix settled at install time (cmake --install --prefix, or
# /usr when CPack makes a package) worked out only then. FOLDER is relative to the prefix,
# except that etc stands for the configuration folder (/etc for /usr). MODE is COPY,
# CONFIGURE (@CMAKE_INSTALL_PREFIX@ and @SYSCONFDIR@ in the file replaced) or GZIP
# (compressed, for manual pages and changelogs).
include_guard(GLOBAL)

function(tidewake_install_file source folder name mode component)
  get_filename_component(source "${source}" ABSOLUTE)
  install(CODE "
    set(tidewake_source \"${source}\")
    set(tidewake_folder \"${folder}\")
    set(tidewake_name \"${name}\")
    set(tidewake_mode ${mode})
    set(tidewake_stage \"${CMAKE_CURRENT_BINARY_DIR}/install-stage/${component}\")
    include(\"${CMAKE_CURRENT_FUNCTION_LIST_DIR}/InstallFile.cmake\")"
    COMPONENT ${component})
endfunction()
