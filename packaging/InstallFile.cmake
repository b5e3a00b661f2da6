# Run by the install script for one tidewake_install_file (TidewakeInstall.cmake): makes
# the file for this prefix in a stage folder of the build tree and installs it from there.

# The configuration folder of the prefix, as GNUInstallDirs has it: /etc for /usr.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(SYSCONFDIR /etc)
else()
  set(SYSCONFDIR "${CMAKE_INSTALL_PREFIX}/etc")
endif()
if(tidewake_folder MATCHES "^etc(/.*)?$")
  set(tidewake_folder "${SYSCONFDIR}${CMAKE_MATCH_1}")
else()
  set(tidewake_folder "${CMAKE_INSTALL_PREFIX}/${tidewake_folder}")
endif()

set(tidewake_made "${tidewake_stage}/${tidewake_name}")
file(MAKE_DIRECTORY "${tidewake_stage}")
if(tidewake_mode STREQUAL "CONFIGURE")
  configure_file("${tidewake_source}" "${tidewake_made}" @ONLY)
elseif(tidewake_mode STREQUAL "GZIP")
  # No name or time stamp in the header, so the result depends on the content alone.
  execute_process(COMMAND gzip -9 -n -c "${tidewake_source}" OUTPUT_FILE "${tidewake_made}"
    RESULT_VARIABLE tidewake_status)
  if(NOT tidewake_status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${tidewake_source}: ${tidewake_status}")
  endif()
else()
  configure_file("${tidewake_source}" "${tidewake_made}" COPYONLY)
endif()
file(INSTALL DESTINATION "${tidewake_folder}" TYPE FILE FILES "${tidewake_made}")
