# A template entry filled with the parts of a value, as the common UI controls fill
# theirs. The filling source is compiled in directly: it needs the core library's
# texts only.
fernwold_fuzz_target(ui_template ${CMAKE_CURRENT_SOURCE_DIR}/targets/ui_template.cpp
  SOURCES ${PROJECT_SOURCE_DIR}/src/game/ui/ui_template_fill.cpp
  LIBS qrncore)
