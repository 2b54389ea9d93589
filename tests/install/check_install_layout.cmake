# Installs the build into a fresh folder, as a package build does with `cmake --install --prefix`,
# and checks the tree: exactly the program's files, the gradient module and the decoding helper
# where the installed program looks for them, icons of the size their folders promise, desktop files that appstreamcli
# accepts as a whole, and programs that run from there.
# Takes BUILD_DIR, PREFIX, APP_ID, VERSION, BINDIR, MODULE_DIR_FROM_BINDIR, DATADIR, MANDIR,
# APPSTREAMCLI, DICOM_FILE (an image to measure) and DECODING_HELPER.

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${output}")
endif()

set(icon_sizes 16 32 48 64 128 256)
set(icon_dir ${DATADIR}/icons/hicolor)
# The toolkit looks for the module from the executable's folder, MODULE_DIR_FROM_BINDIR away.
cmake_path(SET module NORMALIZE "${BINDIR}/${MODULE_DIR_FROM_BINDIR}/libmsimg32.so")
# The decoding helper, where the build has one (the sanitizer builds decode in-process).
if(DECODING_HELPER)
  cmake_path(SET decoder NORMALIZE "${BINDIR}/${MODULE_DIR_FROM_BINDIR}/quantelo-decode")
endif()
set(expected
  ${BINDIR}/quantelo
  ${BINDIR}/quantelo-sdnr
  ${BINDIR}/quantelo-record
  ${module}
  ${decoder}
  ${DATADIR}/applications/${APP_ID}.desktop
  ${DATADIR}/metainfo/${APP_ID}.metainfo.xml
  ${icon_dir}/scalable/apps/${APP_ID}.svg
  ${MANDIR}/man1/quantelo.1.gz
  ${MANDIR}/man1/quantelo-sdnr.1.gz
  ${MANDIR}/man1/quantelo-record.1.gz
  ${MANDIR}/de/man1/quantelo.1.gz
  ${MANDIR}/de/man1/quantelo-sdnr.1.gz
  ${MANDIR}/de/man1/quantelo-record.1.gz
  ${DATADIR}/lintian/overrides/quantelo
  ${DATADIR}/doc/quantelo/README.md
  ${DATADIR}/doc/quantelo/changelog.gz
  ${DATADIR}/doc/quantelo/copyright
)
foreach(size ${icon_sizes})
  list(APPEND expected ${icon_dir}/${size}x${size}/apps/${APP_ID}.png)
endforeach()

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${PREFIX} ${PREFIX}/*)
set(missing ${expected})
list(REMOVE_ITEM missing ${installed})
set(unexpected ${installed})
list(REMOVE_ITEM unexpected ${expected})
if(missing OR unexpected)
  list(JOIN missing "\n  " missing)
  list(JOIN unexpected "\n  " unexpected)
  message(FATAL_ERROR "Installed tree in ${PREFIX} differs.\n"
                      "Missing:\n  ${missing}\nNot expected:\n  ${unexpected}")
endif()

# A PNG starts with its signature and the IHDR chunk: width and height, 32-bit big-endian.
foreach(size ${icon_sizes})
  set(png ${PREFIX}/${icon_dir}/${size}x${size}/apps/${APP_ID}.png)
  file(READ ${png} header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 0 16 signature)
  string(SUBSTRING "${header}" 32 8 width)
  string(SUBSTRING "${header}" 40 8 height)
  math(EXPR width "0x${width}")
  math(EXPR height "0x${height}")
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT width EQUAL size OR NOT height EQUAL size)
    message(FATAL_ERROR "${png}: not a ${size} × ${size} PNG (${signature}, ${width} × ${height})")
  endif()
endforeach()

# Desktop entry, metainfo and icons together, as a software centre reads them.
execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net ${PREFIX}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "appstreamcli validate-tree ${PREFIX} failed:\n${output}")
endif()

# The installed programs run with nothing from the build folder, and the installed command line
# measures a file through the installed decoding helper.
foreach(program quantelo quantelo-sdnr quantelo-record)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                          ${PREFIX}/${BINDIR}/${program} --version
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT status EQUAL 0 OR NOT output STREQUAL "${program} ${VERSION}\n")
    message(FATAL_ERROR "${program} --version gave ${status}: ${output}${errors}")
  endif()
endforeach()
execute_process(COMMAND ${PREFIX}/${BINDIR}/quantelo-sdnr --al 0,0,16,16 --bg 16,16,16,16 ${DICOM_FILE}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT output MATCHES "\n[^\t]+\t[0-9.]+\t[0-9.]+\t[0-9.]+\t[0-9.]+\t[0-9.]+\t256\t")
  message(FATAL_ERROR "the installed quantelo-sdnr did not measure ${DICOM_FILE} (${status}):\n${output}${errors}")
endif()
