# The include direction of the whole tree, checked when configuring. Link order
# alone cannot enforce it: a call from a lower archive into a member of a higher
# one that is already loaded links fine, and a header crosses without any symbol.
#
# The library is a chain of layers, each including only from the ones below it:
#   forms <- com <- errors <- subclass <- Resources.h <- skin <- util, about
#         <- control <- the entry points (src/*.cpp, Classes.h) <- tests, bench
# Resources.h names the OCX's own resources: the layers that load them (skin,
# about, control) and the entry points whose resource script it serves.
# host/ stands beside the chain, as any container does: it uses the forms engine
# and the COM plumbing, and reaches everything else only through COM. Tests and
# benchmarks sit on top and may include anything, host/ included.

set(NIMBRA_LAYER_RANKS forms=0 com=1 errors=2 subclass=3 resources=4 skin=5 util=6 about=6 control=7
    entry=8 tests=9 bench=9)
set(NIMBRA_HOST_USES forms com)
# The control reaches the skin only through its front: starting, refreshing and
# collecting skins (SkinWindow.h) and the owner interface it implements (SkinOwner.h).
set(NIMBRA_SKIN_FRONT src/skin/SkinWindow.h src/skin/SkinOwner.h)

# The layer a file of the tree belongs to, by its path from the source folder.
function(nimbra_layer_of path out)
  if(path STREQUAL "src/Resources.h")
    set(layer resources)
  elseif(path MATCHES "^src/([a-z]+)/")
    set(layer ${CMAKE_MATCH_1})
  elseif(path MATCHES "^src/[^/]+$")
    set(layer entry)
  elseif(path MATCHES "^(host|bench|tests)/")
    set(layer ${CMAKE_MATCH_1})
  else()
    set(layer "")
  endif()
  set(${out} ${layer} PARENT_SCOPE)
endfunction()

function(nimbra_rank_of layer out)
  foreach(entry IN LISTS NIMBRA_LAYER_RANKS)
    if(entry MATCHES "^${layer}=([0-9]+)$")
      set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "src/${layer}: a folder without a place among the layers; add it to NIMBRA_LAYER_RANKS")
endfunction()

function(nimbra_may_include from to out)
  set(ok FALSE)
  if(from STREQUAL to)
    set(ok TRUE)
  elseif(from STREQUAL "host")
    if(to IN_LIST NIMBRA_HOST_USES)
      set(ok TRUE)
    endif()
  elseif(to STREQUAL "host")
    if(from STREQUAL "tests" OR from STREQUAL "bench")
      set(ok TRUE)
    endif()
  else()
    nimbra_rank_of(${from} from_rank)
    nimbra_rank_of(${to} to_rank)
    if(to_rank LESS from_rank)
      set(ok TRUE)
    endif()
  endif()
  set(${out} ${ok} PARENT_SCOPE)
endfunction()

# Every quoted include of every source and header, resolved the way the build's
# include paths resolve it: beside the file first, then src/, src/com/ and host/.
# What resolves to no file of the tree (the generated type-library header) is
# not checked.
function(nimbra_check_layers)
  set(root ${CMAKE_SOURCE_DIR})
  file(GLOB_RECURSE sources RELATIVE ${root}
    ${root}/src/*.h ${root}/src/*.cpp ${root}/host/*.h ${root}/host/*.cpp
    ${root}/bench/*.h ${root}/bench/*.cpp ${root}/tests/*.h ${root}/tests/*.cpp)
  foreach(source IN LISTS sources)
    nimbra_layer_of(${source} from)
    get_filename_component(folder ${root}/${source} DIRECTORY)
    file(STRINGS ${root}/${source} lines REGEX "^#include \"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" name "${line}")
      set(resolved "")
      foreach(base ${folder} ${root}/src ${root}/src/com ${root}/host)
        if(EXISTS ${base}/${name})
          file(REAL_PATH ${base}/${name} resolved)
          break()
        endif()
      endforeach()
      if(NOT resolved)
        continue()
      endif()
      file(RELATIVE_PATH target ${root} ${resolved})
      nimbra_layer_of(${target} to)
      if(NOT to)
        continue()
      endif()
      nimbra_may_include(${from} ${to} ok)
      if(ok AND from STREQUAL "control" AND to STREQUAL "skin" AND NOT target IN_LIST NIMBRA_SKIN_FRONT)
        message(FATAL_ERROR "${source}: ${line}\n"
          "  the control may include only the skin's front (${NIMBRA_SKIN_FRONT}), not ${target}")
      endif()
      if(NOT ok)
        message(FATAL_ERROR "${source}: ${line}\n"
          "  ${from} may not include from ${to} (${target}): the layers point one way, see cmake/NimbraLayers.cmake")
      endif()
    endforeach()
  endforeach()
endfunction()
