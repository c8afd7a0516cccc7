# Links the archive stored inside a program: the packed data/builtin/ folder is
# assembled into the target with .incbin, under the C symbols
#
#   extern "C" const unsigned char fernwold_builtin_archive[];  // first byte
#   extern "C" const uint64_t fernwold_builtin_archive_size;    // bytes
#
# declared by "embedded_archive.h" (put on the target's include path). The program
# mounts it with quarn::ufs_mount_romfs; see docs/archives.md.
function(fernwold_embed_archive target)
  get_property(archive GLOBAL PROPERTY FERNWOLD_BUILTIN_ARCHIVE)
  if(NOT archive)
    message(FATAL_ERROR "fernwold_embed_archive: data/ must be added before ${target}")
  endif()
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/embedded_archive_${target})
  set(asm ${dir}/embedded_archive.S)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/embedded_archive.S.in ${asm} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/embedded_archive.h.in ${dir}/embedded_archive.h COPYONLY)
  # The object must be assembled again whenever the archive changes.
  set_source_files_properties(${asm} PROPERTIES OBJECT_DEPENDS ${archive})
  target_sources(${target} PRIVATE ${asm})
  target_include_directories(${target} PRIVATE ${dir})
  add_dependencies(${target} builtin_archive)
endfunction()
