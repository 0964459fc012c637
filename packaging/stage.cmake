# Run by CPack in the package's staging tree before packing it: adds what only a Debian package
# carries (the changelog, the copyright file, the lintian overrides), compresses the manual
# pages and strips the program further, as Debian's policy and tools ask. CPack hands over its
# settings (CPACK_*) as variables.
set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(from "${CPACK_TAVRIN_PACKAGING_DIR}")
set(doc "${root}/share/doc/tavrin")
set(overrides "${root}/share/lintian/overrides")

# The umask of whoever packs must not decide the modes inside the package.
foreach(dir "${root}/share/doc" "${doc}" "${root}/share/lintian" "${overrides}")
  file(MAKE_DIRECTORY "${dir}")
  file(CHMOD "${dir}" PERMISSIONS ${CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
endforeach()
file(COPY_FILE "${from}/copyright" "${doc}/copyright")
file(COPY_FILE "${from}/lintian-overrides" "${overrides}/tavrin")
# -n: no name or time stamp in the header, so the same changelog packs to the same bytes.
execute_process(COMMAND gzip -9nc INPUT_FILE "${from}/changelog"
  OUTPUT_FILE "${doc}/changelog.gz" COMMAND_ERROR_IS_FATAL ANY)
file(CHMOD "${doc}/copyright" "${doc}/changelog.gz" "${overrides}/tavrin"
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# CPack has stripped the program already; the compiler's notes go too, as dh_strip removes them.
execute_process(COMMAND strip --remove-section=.comment --remove-section=.note "${root}/bin/tavrin"
  COMMAND_ERROR_IS_FATAL ANY)

file(GLOB pages "${root}/share/man/man*/*.[1-9]")
foreach(page ${pages})
  execute_process(COMMAND gzip -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
