# The payload records: the four files that setup.exe carries, copied into the
# build tree under plain names and laid into read-only data by .incbin.
#
# PAYLOAD_DIR names a folder holding the real product files under their
# target names; without it the build embeds its own stand-ins: the exam
# program and uninstaller built in this tree (Windows targets) and the sample
# database and configuration from payloads/.

set(PAYLOAD_DIR "" CACHE PATH "Folder with the four product files to embed instead of the built stand-ins")

set(_payload_names exam database config uninstaller)
set(_payload_file_exam "Velmaro考试系统.exe")
set(_payload_file_database "mini.dll")
set(_payload_file_config "配置文件.ini")
set(_payload_file_uninstaller "uninst.exe")

set(_payload_bin_dir ${CMAKE_BINARY_DIR}/payloads)
file(MAKE_DIRECTORY ${_payload_bin_dir})

if(PAYLOAD_DIR)
  foreach(n IN LISTS _payload_names)
    set(_src "${PAYLOAD_DIR}/${_payload_file_${n}}")
    if(NOT EXISTS "${_src}")
      message(FATAL_ERROR "PAYLOAD_DIR: ${_src} is missing")
    endif()
    set(_payload_src_${n} "${_src}")
  endforeach()
else()
  set(_payload_src_database "${CMAKE_SOURCE_DIR}/payloads/mini.dll")
  set(_payload_src_config "${CMAKE_SOURCE_DIR}/payloads/配置文件.ini")
  if(WIN32 AND TARGET velmaro_exam AND TARGET velmaro_uninst)
    set(_payload_src_exam "$<TARGET_FILE:velmaro_exam>")
    set(_payload_src_uninstaller "$<TARGET_FILE:velmaro_uninst>")
    set(_payload_deps velmaro_exam velmaro_uninst)
  else()
    # The Linux build installs into the POSIX stand-in, where no Windows
    # program could run: small marked files stand in for the two programs.
    foreach(n exam uninstaller)
      set(_placeholder ${_payload_bin_dir}/placeholder-${n}.exe)
      file(WRITE ${_placeholder} "MZ stand-in for ${_payload_file_${n}} in the Linux build\n")
      set(_payload_src_${n} ${_placeholder})
    endforeach()
  endif()
endif()

set(_payload_bins "")
foreach(n IN LISTS _payload_names)
  set(_bin ${_payload_bin_dir}/${n}.bin)
  string(TOUPPER ${n} _N)
  set(PAYLOAD_BIN_${_N} ${_bin})
  add_custom_command(OUTPUT ${_bin}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${_payload_src_${n}}" ${_bin}
    DEPENDS "${_payload_src_${n}}" ${_payload_deps}
    COMMENT "Payload ${_payload_file_${n}}"
    VERBATIM)
  list(APPEND _payload_bins ${_bin})
endforeach()

configure_file(${CMAKE_SOURCE_DIR}/payloads/records.S.in ${_payload_bin_dir}/records.S @ONLY)
set_source_files_properties(${_payload_bin_dir}/records.S PROPERTIES
  OBJECT_DEPENDS "${_payload_bins}" LANGUAGE ASM)

add_library(velmaro_payload_records OBJECT ${_payload_bin_dir}/records.S)
target_include_directories(velmaro_payload_records PRIVATE ${CMAKE_SOURCE_DIR})

# Tests compare what an installation wrote with these copies (plain ASCII
# names, so the Linux tests can open them whatever the locale).
set(VELMARO_PAYLOAD_BIN_DIR ${_payload_bin_dir})
