# Runs at install time, when the prefix is known: the entry names the program and the folder of
# the help document by their absolute paths.
set(pds_help_dir "${CMAKE_INSTALL_PREFIX}/${pds_data_dir}")
set(pds_program "${CMAKE_INSTALL_PREFIX}/${pds_bin_dir}/pole-display-setup")
if(pds_program MATCHES " ")
    set(pds_program "\"${pds_program}\"")
endif()
configure_file("${pds_entry_template}" "${pds_entry}" @ONLY)
