# Effect unit text loaded into the seven effect classes, each instance's clone run for
# a few frames over a small text. The effect sources are compiled in directly; they
# need the core library, the text layer (qrnshared) and the kernel's random sequence.
set(uifx_dir ${PROJECT_SOURCE_DIR}/src/game/ui)
fernwold_fuzz_target(uifx_unit ${CMAKE_CURRENT_SOURCE_DIR}/targets/uifx_unit.cpp
  SOURCES ${uifx_dir}/effects/zml_effect.cpp ${uifx_dir}/effects/uifx_composite.cpp ${uifx_dir}/effects/uifx_basic.cpp
          ${uifx_dir}/effects/uifx_phased.cpp ${uifx_dir}/effects/uifx_scale.cpp ${uifx_dir}/effects/uifx_smoke.cpp
  LIBS fernwold_kernel qrnshared)
