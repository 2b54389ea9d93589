# quantelo_embed_version(target): stores the project version in the target's executable as a
# version record (toolkit/version_record.h), which toolkit's version routines read back.
# ELF only; elsewhere the target gets no record and reads as version 0.0.0.0.
function(quantelo_embed_version target)
  if(NOT CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF")
    return()
  endif()
  set(parts "")
  foreach(name MAJOR MINOR PATCH TWEAK)
    set(part "${PROJECT_VERSION_${name}}")
    if(part STREQUAL "")
      set(part 0)  # "1.2" stands for 1.2.0.0
    elseif(part GREATER 65535)
      message(FATAL_ERROR "Version part ${part} of ${PROJECT_VERSION} does not fit in 16 bits")
    endif()
    list(APPEND parts ${part})
  endforeach()
  list(JOIN parts ", " VERSION_PARTS)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_record.cpp)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version_record.cpp.in ${source} @ONLY)
  target_sources(${target} PRIVATE ${source})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
