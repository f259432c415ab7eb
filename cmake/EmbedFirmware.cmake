# fwu_embed_firmware(<target> <image-file>): after every link of <target>, append <image-file> to the
# executable as its firmware payload (with the trailer that the program's reader checks). Any stripping
# of the executable must happen before this step, since the payload sits past the end of the ELF image.
function(fwu_embed_firmware target image)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND fwu-embed $<TARGET_FILE:${target}> ${image}
    COMMENT "Embedding firmware image into ${target}"
    VERBATIM)
  # Relink (and so re-embed) when the image changes.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${image})
  add_dependencies(${target} fwu-embed fwu_firmware_image)
endfunction()
