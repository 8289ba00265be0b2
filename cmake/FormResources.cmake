# cq5_form_resources(<target> <files...>)
#   Compiles form resources (text files such as app/Main.form) into <target>. Each file
#   becomes a generated .cpp holding its text and a registration that runs at start-up,
#   so code finds the form by its root class ("TR7Tform1") or file stem ("Main"); nothing
#   is shipped beside the executable.
#   For a library target the generated objects are handed to whatever links it, so the
#   linker cannot drop them as unreferenced archive members.
# Run as a script (cmake -P) by the build, this file writes OUT, a .cpp that embeds the
# bytes of IN and registers them as the form resource STEM (REL: its path in the tree).
if(CMAKE_SCRIPT_MODE_FILE)
  file(READ ${IN} hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n  " bytes "${bytes}")
  file(WRITE ${OUT}.tmp
  "// Generated from ${REL}; edit that file instead.
#include \"platform/streaming/FormResources.h\"

namespace {
// A final 0 keeps the array valid for an empty file; it is not part of the text.
const unsigned char kText[] = {
  ${bytes}0x00};
const streaming::FormResourceRegistration kRegistration(\"${STEM}\", \"${REL}\", kText, ${size});
}  // namespace
  ")
  file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
  file(REMOVE ${OUT}.tmp)
  return()
endif()

set(CQ5_FORM_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

function(cq5_form_resources target)
  set(generated)
  foreach(file IN LISTS ARGN)
    get_filename_component(abs ${file} ABSOLUTE)
    get_filename_component(stem ${file} NAME_WE)
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${abs})
    string(MAKE_C_IDENTIFIER "${rel}" ident)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/cq5_forms/${ident}.cpp)
    add_custom_command(
      OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DIN=${abs} -DOUT=${out} -DSTEM=${stem} -DREL=${rel} -P ${CQ5_FORM_EMBED_SCRIPT}
      DEPENDS ${abs} ${CQ5_FORM_EMBED_SCRIPT}
      COMMENT "Embedding form resource ${rel}"
      VERBATIM)
    list(APPEND generated ${out})
  endforeach()

  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_sources(${target} PRIVATE ${generated})
    target_link_libraries(${target} PRIVATE cq5_streaming)
  else()
    set(objects ${target}_form_resources)
    if(TARGET ${objects})
      target_sources(${objects} PRIVATE ${generated})
    else()
      add_library(${objects} OBJECT ${generated})
      target_link_libraries(${objects} PRIVATE cq5_streaming)
      target_link_libraries(${target} INTERFACE $<TARGET_OBJECTS:${objects}> cq5_streaming)
    endif()
  endif()
endfunction()
