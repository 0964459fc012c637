# ---- The Debian package ----------------------------------------------------------------
# `cpack -G DEB` in the build folder (or the `package` target) turns the install rules into
# tavrin_<version>_<arch>.deb, installing under /usr whatever prefix the build was configured
# with. What only a Debian package carries (the changelog, the copyright file, the lintian
# overrides, compressed manual pages) is added to its staging tree by packaging/stage.cmake,
# so that `cmake --install` stays as it is.
set(packaging_dir ${CMAKE_SOURCE_DIR}/packaging)

# The changelog's latest entry names the version and whoever made the package: it has to be
# the version built, and its signature is the package's maintainer.
file(READ ${packaging_dir}/changelog changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${packaging_dir}/changelog ${CMAKE_SOURCE_DIR}/data/tavrin.metainfo.xml)
if(NOT changelog MATCHES "^tavrin \\(([^)]+)\\)" OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog has no entry for version ${PROJECT_VERSION} at its top")
endif()
string(REGEX MATCH "\n -- ([^\n]*>)  " _ "${changelog}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CMAKE_MATCH_1}")

# The description is the metainfo's: its summary is the synopsis (less a leading article, which
# Debian's synopses leave out) and its paragraphs, rewrapped, the extended description.
function(xml_text text out)  # element content as plain text: one line, entities decoded
  string(REGEX REPLACE "[ \t\r\n]+" " " text "${text}")
  string(STRIP "${text}" text)
  foreach(pair "&lt;=<" "&gt;=>" "&quot;=\"" "&apos;='" "&amp;=&")
    string(REGEX REPLACE "=.*" "" entity "${pair}")
    string(REGEX REPLACE "^[^=]*=" "" char "${pair}")
    string(REPLACE "${entity}" "${char}" text "${text}")
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
function(metainfo_description summary_out description_out)
  file(READ ${CMAKE_SOURCE_DIR}/data/tavrin.metainfo.xml metainfo)
  string(REGEX MATCH "<summary>([^<]*)</summary>" _ "${metainfo}")
  xml_text("${CMAKE_MATCH_1}" summary)
  string(REGEX REPLACE "^(A|An|The) (.)" "\\2" summary "${summary}")
  string(REGEX MATCH "<description>(.*)</description>" _ "${metainfo}")
  string(REGEX MATCHALL "<p>[^<]*</p>" paragraphs "${CMAKE_MATCH_1}")
  set(description "")
  set(separator "")
  foreach(p ${paragraphs})
    string(REGEX REPLACE "</?p>" "" p "${p}")
    xml_text("${p}" p)
    string(REPLACE " " ";" words "${p}")
    set(line "")
    foreach(word ${words})
      string(LENGTH "${line} ${word}" width)
      if(line AND width GREATER 78)
        string(APPEND description "${separator}${line}")
        set(separator "\n")
        set(line "${word}")
      elseif(line)
        string(APPEND line " ${word}")
      else()
        set(line "${word}")
      endif()
    endforeach()
    string(APPEND description "${separator}${line}")
    set(separator "\n\n")  # a blank line between paragraphs
  endforeach()
  set(${summary_out} "${summary}" PARENT_SCOPE)
  set(${description_out} "${description}" PARENT_SCOPE)
endfunction()
metainfo_description(CPACK_PACKAGE_DESCRIPTION_SUMMARY CPACK_PACKAGE_DESCRIPTION)

# Only the DEB generator: `cpack` alone would otherwise make tarballs as well.
set(CPACK_GENERATOR DEB)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME tavrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the binary; the default style draws its number in Liberation Sans.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation2)
# Qt's Wayland platform: without it the clock runs on Wayland through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_PRE_BUILD_SCRIPTS ${packaging_dir}/stage.cmake)
set(CPACK_TAVRIN_PACKAGING_DIR ${packaging_dir})
include(CPack)
