# Read by cpack before it builds a package. CPack's DEB generator gives every file and archive
# member the time in SOURCE_DATE_EPOCH, where that is set, and leaves the time out of the gzip
# headers; here it becomes the time of the last commit, so that the same sources give the same
# package byte for byte. A SOURCE_DATE_EPOCH already set wins; without git (sources unpacked
# from an archive) the date of the newest change log entry stands in.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C ${CPACK_QUANTELO_SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    execute_process(
      COMMAND dpkg-parsechangelog -l ${CPACK_QUANTELO_SOURCE_DIR}/resources/changelog -S Timestamp
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
