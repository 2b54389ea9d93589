# What `cmake --install` lays out: the three programs, the optional gradient module, the desktop
# integration (desktop entry, AppStream metainfo, icons), the manual pages and the documentation.
# The program finds what it reads at run time relative to its own executable, so the installed
# tree works under any prefix and wherever it is unpacked. Test tools and benchmarks stay out.
include(GNUInstallDirs)

set(QUANTELO_APP_ID de.example.Quantelo)

# Installs the binary of a target into a folder. Stripped, as for the package (CPack, or
# `cmake --install --strip`), it also loses its .comment section: the compilers' version notes,
# which strip keeps and a package has no use for.
function(quantelo_install_binary target folder)
  install(TARGETS ${target} RUNTIME DESTINATION ${folder} LIBRARY DESTINATION ${folder})
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${folder}/$<TARGET_FILE_NAME:${target}>\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()")
endfunction()

quantelo_install_binary(quantelo ${CMAKE_INSTALL_BINDIR})
quantelo_install_binary(quantelo-sdnr ${CMAKE_INSTALL_BINDIR})
quantelo_install_binary(quantelo-record ${CMAKE_INSTALL_BINDIR})

# The gradient module and the decoding helper live in a folder of the program's own, where no
# other program's loader or shell looks; modules/ finds them there from the executable's folder.
quantelo_install_binary(msimg32 ${QUANTELO_MODULE_DIR})
if(TARGET quantelo-decode)
  quantelo_install_binary(quantelo-decode ${QUANTELO_MODULE_DIR})
endif()

# Desktop entry and AppStream metainfo, named by the application id.
install(FILES ${PROJECT_SOURCE_DIR}/resources/${QUANTELO_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/${QUANTELO_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Icons: the SVG as the scalable one, and PNGs rendered from it for the fixed sizes.
set(icon_svg ${PROJECT_SOURCE_DIR}/resources/quantelo.svg)
set(icon_theme_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${icon_svg} DESTINATION ${icon_theme_dir}/scalable/apps
  RENAME ${QUANTELO_APP_ID}.svg)
set(icon_pngs "")
foreach(size 16 32 48 64 128 256)
  set(png ${CMAKE_BINARY_DIR}/icons/${QUANTELO_APP_ID}-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND render-icon ${icon_svg} ${size} ${png}
    DEPENDS render-icon ${icon_svg}
    COMMENT "Rendering the ${size} × ${size} icon")
  install(FILES ${png} DESTINATION ${icon_theme_dir}/${size}x${size}/apps
    RENAME ${QUANTELO_APP_ID}.png)
  list(APPEND icon_pngs ${png})
endforeach()
add_custom_target(quantelo_icons ALL DEPENDS ${icon_pngs})

# Manual pages and the change log compressed as Debian wants them: gzip -9 without a time stamp,
# so that the same sources give the same package.
function(quantelo_gzip source output)
  get_filename_component(name ${output} NAME_WLE)
  get_filename_component(folder ${output} DIRECTORY)
  set(copy ${folder}/${name})
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND gzip -9nf ${copy}
    DEPENDS ${source}
    COMMENT "Compressing ${name}")
endfunction()

# The manual pages in English, and in German where man runs in a German locale.
set(man_section_en man1)
set(man_section_de de/man1)
set(gzipped "")
foreach(language en de)
  foreach(page quantelo.1 quantelo-sdnr.1 quantelo-record.1)
    set(gz ${CMAKE_BINARY_DIR}/gzipped/man/${language}/${page}.gz)
    quantelo_gzip(${PROJECT_SOURCE_DIR}/resources/man/${language}/${page} ${gz})
    install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/${man_section_${language}})
    list(APPEND gzipped ${gz})
  endforeach()
endforeach()
set(changelog_gz ${CMAKE_BINARY_DIR}/gzipped/changelog.gz)
quantelo_gzip(${PROJECT_SOURCE_DIR}/resources/changelog ${changelog_gz})
list(APPEND gzipped ${changelog_gz})
add_custom_target(quantelo_gzipped ALL DEPENDS ${gzipped})

# What lintian is to let pass in the package, with the reasons.
install(FILES ${PROJECT_SOURCE_DIR}/resources/quantelo.lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME quantelo)

# The documentation folder under the program's name; the licence under Debian's name for it.
set(QUANTELO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/quantelo)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${changelog_gz} DESTINATION ${QUANTELO_DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${QUANTELO_DOC_DIR} RENAME copyright)
