# Compiles data files into a library as constant byte arrays.
#
#   zorv_embed_data(<target> <name>
#                   INCLUDE <header declaring the arrays>
#                   DATA <symbol> <file> <size> [<symbol> <file> <size> ...])
#
# At build time this writes <build>/generated/<name>.cpp, which includes the
# header and defines each symbol as
#     const std::array<uint8_t, <size of the file>> <symbol> = {{ ... }};
# and adds it to <target> (through an alias, to the library it stands for).
# The file is regenerated whenever a data file changes, so dropping in a new
# file and rebuilding is enough.
#
# The build fails when a file is missing or does not hold exactly <size>
# bytes. The header declares each array with its size as well, so the compiler
# checks the generated definitions against the C++ side too.
#
# The same file runs in script mode (cmake -P) to do the generation.

if(CMAKE_SCRIPT_MODE_FILE)
  # Generation step: MANIFEST names a file that sets EMBED_INCLUDE and
  # EMBED_ENTRIES (symbol;file;size triples); OUTPUT is the source to write.
  include(${MANIFEST})
  set(source "// Generated at build time by cmake/EmbedData.cmake from the files under data/.\n")
  string(APPEND source "// Do not edit: change the data file and rebuild.\n\n")
  string(APPEND source "#include <array>\n#include <cstdint>\n\n#include \"${EMBED_INCLUDE}\"\n\nnamespace zorv {\n")
  list(LENGTH EMBED_ENTRIES count)
  math(EXPR last "${count} - 1")
  foreach(index RANGE 0 ${last} 3)
    math(EXPR fileIndex "${index} + 1")
    math(EXPR sizeIndex "${index} + 2")
    list(GET EMBED_ENTRIES ${index} symbol)
    list(GET EMBED_ENTRIES ${fileIndex} path)
    list(GET EMBED_ENTRIES ${sizeIndex} expected)
    if(NOT EXISTS ${path})
      message(FATAL_ERROR "${path} is missing: ${symbol} needs a file of ${expected} bytes.")
    endif()
    file(SIZE ${path} actual)
    if(NOT actual EQUAL expected)
      message(FATAL_ERROR "${path} holds ${actual} bytes; ${symbol} takes exactly ${expected}.")
    endif()
    file(READ ${path} hex HEX)
    # Sixteen bytes to a line.
    string(REPEAT "[0-9a-f]" 32 line)
    string(REGEX REPLACE "(${line})" "\\1\n" hex "${hex}")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(APPEND source "\n// ${path}\nconst std::array<uint8_t, ${actual}> ${symbol} = {{\n${bytes}\n}};\n")
  endforeach()
  string(APPEND source "\n}  // namespace zorv\n")
  file(WRITE ${OUTPUT} "${source}")
  return()
endif()

set(ZORV_EMBED_DATA_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

function(zorv_embed_data target name)
  cmake_parse_arguments(PARSE_ARGV 2 EMBED "" "INCLUDE" "DATA")
  list(LENGTH EMBED_DATA count)
  math(EXPR remainder "${count} % 3")
  if(count EQUAL 0 OR NOT remainder EQUAL 0 OR NOT EMBED_INCLUDE)
    message(FATAL_ERROR "zorv_embed_data(${name}): give INCLUDE and DATA as triples of symbol, file and size")
  endif()
  set(files)
  math(EXPR last "${count} - 1")
  foreach(index RANGE 1 ${last} 3)
    list(GET EMBED_DATA ${index} path)
    list(APPEND files ${path})
  endforeach()

  get_target_property(aliased ${target} ALIASED_TARGET)
  if(aliased)
    set(target ${aliased})
  endif()

  set(folder ${CMAKE_BINARY_DIR}/generated)
  set(manifest ${folder}/${name}.manifest.cmake)
  set(output ${folder}/${name}.cpp)
  # Rewritten only when its contents change, so a configure run alone does not
  # trigger a regeneration.
  file(CONFIGURE OUTPUT ${manifest}
       CONTENT "set(EMBED_INCLUDE \"${EMBED_INCLUDE}\")\nset(EMBED_ENTRIES \"${EMBED_DATA}\")\n")
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${manifest} -DOUTPUT=${output} -P ${ZORV_EMBED_DATA_SCRIPT}
    DEPENDS ${files} ${manifest} ${ZORV_EMBED_DATA_SCRIPT}
    COMMENT "Embedding the data files of ${name}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()
