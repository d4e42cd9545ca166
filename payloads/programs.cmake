# The stand-in product programs that setup.exe embeds unless PAYLOAD_DIR
# names the real files: an exam program that shows what an installation
# left beside it, and a working uninstaller. Built for the architecture of
# this tree, so each setup.exe carries programs that run where it runs.
enable_language(RC)

add_executable(velmaro_exam WIN32
  payloads/exam/exam.cpp
  payloads/exam/exam.rc)
set_target_properties(velmaro_exam PROPERTIES OUTPUT_NAME velmaro-exam)
target_link_libraries(velmaro_exam PRIVATE velmaro_options)

add_executable(velmaro_uninst WIN32
  payloads/uninst/main.cpp
  payloads/uninst/paths.cpp
  payloads/uninst/removal.cpp
  payloads/uninst/uninst.rc)
set_target_properties(velmaro_uninst PROPERTIES OUTPUT_NAME velmaro-uninst)
target_link_libraries(velmaro_uninst PRIVATE velmaro_options shell32 ole32 uuid)
