# Source lists, one per layer. Windows-free sources build natively as well.

# The effect engine alone: it reads no module-wide parameter state, so other
# front ends (the GIMP plug-in) can drive it with settings of their own.
set(LUMIVEIL_ENGINE_SOURCES
  engine/effect_tables.cpp
  engine/effect_engine.cpp
  engine/region_walk.cpp
  engine/plain_kernel.cpp
  engine/fast_kernel.cpp
  engine/fast_rows_scalar.cpp
  engine/fast_rows_sse2.cpp
  engine/fast_rows_neon.cpp
  engine/fast_rows_avx2.cpp
  engine/fast_rows_avx512.cpp
  engine/fast_kernel_constants.cpp
  engine/exact_division.cpp
  engine/continuous_effect.cpp
)

# The 300-byte parameter file form and the length-prefixed text it uses.
set(LUMIVEIL_CODEC_SOURCES
  params/parameter_file_codec.cpp
  text/text_toolkit.cpp
)

set(LUMIVEIL_PORTABLE_SOURCES
  ${LUMIVEIL_ENGINE_SOURCES}
  ${LUMIVEIL_CODEC_SOURCES}
  strips/module_effect.cpp
  params/effect_settings.cpp
  params/current_parameters.cpp
  params/parameter_defaults.cpp
  # The Windows side's settings path rules: Windows-free, so they are tested natively.
  platform/win/settings_path.cpp
)

# The module above the platform interface (platform/*.h).
set(LUMIVEIL_MODULE_SOURCES
  host/entry.cpp
  host/host_errors.cpp
  host/filter_pass.cpp
  platform/host_memory.cpp
  strips/strip_geometry.cpp
  host/output_rects.cpp
  params/unkept_parameters.cpp
  params/parameter_block.cpp
  params/parameter_files.cpp
  params/last_used_settings.cpp
  ui/text_fields.cpp
  ui/file_dialogs.cpp
  ui/parameter_dialog.cpp
  ui/slider_pairs.cpp
  ui/preview.cpp
)

# The Windows side of the platform interface.
set(LUMIVEIL_PLATFORM_WINDOWS_SOURCES
  platform/win/module_instance.cpp
  platform/win/module_strings.cpp
  platform/win/message_box.cpp
  platform/win/modifier_keys.cpp
  platform/win/fallback_handles.cpp
  platform/win/about_box.cpp
  platform/win/dialog_controls.cpp
  platform/win/dialog_window.cpp
  platform/win/files.cpp
  platform/win/file_dialogs.cpp
  platform/win/settings_file.cpp
)

# The Mac side of the platform interface.
set(LUMIVEIL_PLATFORM_MAC_SOURCES
  platform/mac/module_strings.cpp
  platform/mac/user_notification.cpp
  platform/mac/message_box.cpp
  platform/mac/modifier_keys.cpp
  platform/mac/fallback_handles.cpp
  platform/mac/about_box.cpp
  platform/mac/processor_features.cpp
  platform/mac/cocoa_objects.cpp
  platform/mac/dialog_layout.cpp
  platform/mac/dialog_record.cpp
  platform/mac/dialog_window.cpp
  platform/mac/dialog_controls.cpp
  platform/mac/files.cpp
  platform/mac/settings_file.cpp
  platform/mac/file_dialogs.cpp
)

set(LUMIVEIL_MAC_MODULE_SOURCES ${LUMIVEIL_PORTABLE_SOURCES} ${LUMIVEIL_MODULE_SOURCES}
                                ${LUMIVEIL_PLATFORM_MAC_SOURCES})
list(REMOVE_ITEM LUMIVEIL_MAC_MODULE_SOURCES engine/continuous_effect.cpp engine/region_walk.cpp)
