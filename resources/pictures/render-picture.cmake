# Renders one bundle picture from its SVG source, at one and at two times its size in points:
#   cmake -DSOURCE=x.svg -DOUTPUT=<bundle>/name -DWORK=<scratch folder> -DRSVG=rsvg-convert
#         [-DDICTIONARY=TrelvoQuestLanguageFR.plist -DKEY=Search] [-DSELECTED=1]
#         [-DWIDTH=768 -DHEIGHT=1024] -P render-picture.cmake
# writes <bundle>/name.png and <bundle>/name@2x.png.
#
# The source may use these @VARIABLES@:
#   @TEXT@       the dictionary's text for KEY (as the property list writes it, so already XML-escaped)
#   @FONT_SIZE@  a font size at which TEXT fits the caption box the source declares in a comment
#                "caption box: <width> wide, at most <size> high"
#   @FACE@ @INK@ @ACCENT@  the colours of a button face, its text and its glyph; SELECTED swaps them
#   @WIDTH@ @HEIGHT@  for a source drawn at more than one size
#   @DASH_OFFSET@ @RING_RADIUS@ @RING_OPACITY@  the moment of an animated source (see videos.cmake)
cmake_minimum_required(VERSION 3.20)
foreach(required SOURCE OUTPUT WORK RSVG)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "render-picture: ${required} is not given")
  endif()
endforeach()

file(READ ${SOURCE} svg)

set(TEXT "")
if(DEFINED KEY)
  file(READ ${DICTIONARY} plist)
  string(REGEX MATCH "<key>${KEY}</key>[ \t\r\n]*<string>([^<]*)</string>" found "${plist}")
  if(NOT found)
    message(FATAL_ERROR "render-picture: ${DICTIONARY} has no text for \"${KEY}\"")
  endif()
  set(TEXT "${CMAKE_MATCH_1}")
endif()

string(REGEX MATCH "caption box: ([0-9]+) wide, at most ([0-9]+) high" box "${svg}")
if(box)
  set(box_width ${CMAKE_MATCH_1})
  set(FONT_SIZE ${CMAKE_MATCH_2})
  # Liberation Sans Bold averages about 0.6 em a character. Bytes stand in for characters, so an
  # accented text comes out a little smaller, never too wide.
  string(LENGTH "${TEXT}" length)
  if(length GREATER 0)
    math(EXPR fitting "${box_width} * 10 / (6 * ${length})")
    if(fitting LESS FONT_SIZE)
      set(FONT_SIZE ${fitting})
    endif()
  endif()
endif()

if(SELECTED)
  set(FACE "#2B7FD0")
  set(INK "#FFFFFF")
  set(ACCENT "#FFFFFF")
else()
  set(FACE "#FFFFFF")
  set(INK "#17324D")
  set(ACCENT "#2B7FD0")
endif()

# A still of an animated source is its first frame.
foreach(still DASH_OFFSET=0 RING_RADIUS=11 RING_OPACITY=0.8)
  string(REPLACE "=" ";" still ${still})
  list(GET still 0 variable)
  if(NOT DEFINED ${variable})
    list(GET still 1 ${variable})
  endif()
endforeach()
string(CONFIGURE "${svg}" svg @ONLY)
get_filename_component(name ${OUTPUT} NAME)
file(MAKE_DIRECTORY ${WORK})
set(filled ${WORK}/${name}.svg)
file(WRITE ${filled} "${svg}")
foreach(scale 1 2)
  if(scale EQUAL 1)
    set(png ${OUTPUT}.png)
  else()
    set(png ${OUTPUT}@${scale}x.png)
  endif()
  execute_process(COMMAND ${RSVG} --zoom=${scale} --output=${png}.tmp ${filled}
                  RESULT_VARIABLE failed ERROR_VARIABLE errors)
  if(failed)
    message(FATAL_ERROR "render-picture: ${RSVG} failed on ${filled}: ${errors}")
  endif()
  file(RENAME ${png}.tmp ${png})
endforeach()
