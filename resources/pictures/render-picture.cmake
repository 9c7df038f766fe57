# Renders one bundle picture from its SVG source, at one and at two times its size in points:
#   cmake -DSOURCE=x.svg -DOUTPUT=<bundle>/name -DWORK=<scratch folder> -DRSVG=rsvg-convert
#         [-DDICTIONARY=TrelvoQuestLanguageFR.plist -DKEYS=Search[,Other...]] [-DSELECTED=1]
#         [-DWIDTH=768 -DHEIGHT=1024] -P render-picture.cmake
# writes <bundle>/name.png and <bundle>/name@2x.png.
#
# The source may use these @VARIABLES@:
#   @TEXT@       the dictionary's text for the first of KEYS (as the property list writes it, so
#                already XML-escaped); @TEXT_2@ for the second, and so on
#   @FONT_SIZE@  a font size at which TEXT fits the caption box the source declares in a comment
#                "caption box: <width> wide, at most <size> high" (add "in regular" for text that
#                is not bold); the fitting reckons with an average letter width, so leave the box
#                some room; @FONT_SIZE_2@ for "caption box 2: ...", and so on
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

# The texts of KEYS (a comma-separated list of dictionary keys) become TEXT, TEXT_2, TEXT_3...
set(texts)
if(DEFINED KEYS)
  file(READ ${DICTIONARY} plist)
  string(REPLACE "," ";" keys "${KEYS}")
  foreach(key ${keys})
    string(REGEX MATCH "<key>${key}</key>[ \t\r\n]*<string>([^<]*)</string>" found "${plist}")
    if(NOT found)
      message(FATAL_ERROR "render-picture: ${DICTIONARY} has no text for \"${key}\"")
    endif()
    set(text "${CMAKE_MATCH_1}")
    if(text MATCHES ";")
      message(FATAL_ERROR "render-picture: the text for \"${key}\" has a semicolon, which this script cannot carry")
    endif()
    list(APPEND texts "${text}")
  endforeach()
endif()
# Each text is given the font size that fits its caption box: "caption box: ..." for TEXT,
# "caption box 2: ..." for TEXT_2, and so on.
foreach(number RANGE 1 5)
  set(suffix "")
  set(label "")
  if(number GREATER 1)
    set(suffix "_${number}")
    set(label " ${number}")
  endif()
  set(TEXT${suffix} "")
  list(LENGTH texts count)
  if(number LESS_EQUAL count)
    math(EXPR index "${number} - 1")
    list(GET texts ${index} TEXT${suffix})
  endif()
  string(REGEX MATCH "caption box${label}: ([0-9]+) wide, at most ([0-9]+) high( in regular)?" box "${svg}")
  if(NOT box)
    if(number LESS_EQUAL count)
      message(FATAL_ERROR "render-picture: ${SOURCE} declares no caption box${label}")
    endif()
    continue()
  endif()
  set(box_width ${CMAKE_MATCH_1})
  set(FONT_SIZE${suffix} ${CMAKE_MATCH_2})
  # Liberation Sans averages about 0.52 em a letter in bold, 0.47 in regular, over words of both
  # cases. A letter outside ASCII takes two bytes (the accented Latin ones all do).
  set(em_hundredths 52)
  if(CMAKE_MATCH_3)
    set(em_hundredths 47)
  endif()
  string(LENGTH "${TEXT${suffix}}" bytes)
  string(REGEX REPLACE "[ -~]" "" beyond_ascii "${TEXT${suffix}}")
  string(LENGTH "${beyond_ascii}" extra)
  math(EXPR length "${bytes} - ${extra} / 2")
  if(length GREATER 0)
    math(EXPR fitting "${box_width} * 100 / (${em_hundredths} * ${length})")
    if(fitting LESS FONT_SIZE${suffix})
      set(FONT_SIZE${suffix} ${fitting})
    endif()
  endif()
endforeach()

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
