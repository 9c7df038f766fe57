# The bundle's pictures, drawn as SVG sources in pictures/ and rendered to PNG at build time with
# rsvg-convert (librsvg2-bin), each at its size in points ("name.png") and at twice that
# ("name@2x.png"). A picture that carries words takes them from the text dictionaries, one picture
# per language. The sources themselves are not part of the bundle.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(picture_sources ${CMAKE_CURRENT_SOURCE_DIR}/pictures)
set(picture_work ${CMAKE_CURRENT_BINARY_DIR}/pictures)
list(FILTER bundle_outputs EXCLUDE REGEX "^${TQ_BUNDLE_DIR}/pictures/")

# tq_picture(<bundle name> <source> [KEY <dictionary key>... LANGUAGE EN|FR|ES] [SELECTED]
#            [WIDTH <points> HEIGHT <points>])
function(tq_picture name source)
  cmake_parse_arguments(ARG "SELECTED" "LANGUAGE;WIDTH;HEIGHT" "KEY" ${ARGN})
  set(options -DSOURCE=${picture_sources}/${source} -DOUTPUT=${TQ_BUNDLE_DIR}/${name}
              -DWORK=${picture_work} -DRSVG=${RSVG_CONVERT})
  set(inputs ${picture_sources}/${source} ${picture_sources}/render-picture.cmake)
  if(ARG_KEY)
    set(dictionary ${CMAKE_CURRENT_SOURCE_DIR}/TrelvoQuestLanguage${ARG_LANGUAGE}.plist)
    string(REPLACE ";" "," keys "${ARG_KEY}")
    list(APPEND options -DKEYS=${keys} -DDICTIONARY=${dictionary})
    list(APPEND inputs ${dictionary})
  endif()
  if(ARG_SELECTED)
    list(APPEND options -DSELECTED=1)
  endif()
  if(ARG_WIDTH)
    list(APPEND options -DWIDTH=${ARG_WIDTH} -DHEIGHT=${ARG_HEIGHT})
  endif()
  set(outputs ${TQ_BUNDLE_DIR}/${name}.png ${TQ_BUNDLE_DIR}/${name}@2x.png)
  add_custom_command(OUTPUT ${outputs}
                     COMMAND ${CMAKE_COMMAND} ${options} -P ${picture_sources}/render-picture.cmake
                     DEPENDS ${inputs}
                     COMMENT "Drawing the picture ${name}"
                     VERBATIM)
  set(bundle_outputs ${bundle_outputs} ${outputs} PARENT_SCOPE)
endfunction()

# One picture per language: "<prefix><code><suffix>" with the codes the screens put in the name,
# listed for the dictionaries EN, FR and ES in that order.
function(tq_language_pictures prefix suffix source)
  cmake_parse_arguments(ARG "SELECTED" "WIDTH;HEIGHT" "KEY;CODES" ${ARGN})
  if(NOT ARG_CODES)
    set(ARG_CODES en fr es)
  endif()
  set(extra)
  if(ARG_SELECTED)
    list(APPEND extra SELECTED)
  endif()
  if(ARG_WIDTH)
    list(APPEND extra WIDTH ${ARG_WIDTH} HEIGHT ${ARG_HEIGHT})
  endif()
  foreach(language EN FR ES)
    list(POP_FRONT ARG_CODES code)
    tq_picture(${prefix}${code}${suffix} ${source} KEY ${ARG_KEY} LANGUAGE ${language} ${extra})
  endforeach()
  set(bundle_outputs ${bundle_outputs} PARENT_SCOPE)
endfunction()

# The home screen: still backgrounds (the first frame of its videos), logo and entry buttons.
tq_picture(background home-background.svg WIDTH 768 HEIGHT 1024)
tq_picture(background-land home-background.svg WIDTH 1024 HEIGHT 768)
tq_picture(trelvo-en logo.svg KEY LogoTagline LANGUAGE EN)
tq_picture(trelvo-fr logo.svg KEY LogoTagline LANGUAGE FR)
foreach(button about search favoris catalog)
  set(key_about About)
  set(key_search Search)
  set(key_favoris MyTours)
  set(key_catalog Catalog)
  tq_language_pictures(${button}- "" home-${button}.svg KEY ${key_${button}})
  tq_language_pictures(${button}- -sh home-${button}.svg KEY ${key_${button}} SELECTED)
endforeach()
tq_language_pictures(boussole- "" home-boussole.svg KEY Near)

# Bar buttons and the navigation bar's back indicator.
tq_picture(home bar-home.svg)
tq_picture(search bar-search.svg)
tq_picture(refresh bar-refresh.svg)
tq_picture(back bar-back.svg)
tq_picture(system-action bar-action.svg)
tq_picture(system-close bar-close.svg)

# Search, places and the catalogue; the picture of a tour without one.
tq_picture(default_image default-image.svg)
tq_picture(tourPlaceholder tour-placeholder.svg WIDTH 768 HEIGHT 420)
tq_picture(magnifyingglass magnifyingglass.svg)
tq_picture(distance distance.svg)
tq_picture(close close.svg)
tq_language_pictures(network- "" network-badge.svg KEY NetworkLabel CODES en fr esp)
tq_picture(star-filled star-filled.svg)
tq_picture(star-empty star-empty.svg)

# The tour screen: the kinds of transport a tour names, and the network button.
foreach(mode foot bike car bus boat)
  tq_picture(transport_${mode} transport-${mode}.svg)
endforeach()
tq_language_pictures(btnAccederNoir- "" network-button.svg KEY Network)

# The content player and its audio player.
tq_picture(360White content-360.svg)
tq_picture(zoomNoHandle content-zoom.svg)
tq_picture(playContent content-play.svg)
tq_picture(pauseContent content-pause.svg)
tq_picture(audioplayer_play audio-play.svg)
tq_picture(audioplayer_pause audio-pause.svg)

# The maps: the native map's compass and marker glyph; the map pages' pins and position.
tq_picture(compass compass.svg)
tq_picture(marker-icon marker-icon.svg)
tq_picture(marker-shadow marker-shadow.svg)
tq_picture(position position.svg)
tq_picture(pin pin.svg)
# The stepping buttons of the maps and the content player, and the map's way-finding button.
tq_picture(stepPrevious step-previous.svg)
tq_picture(stepNext step-next.svg)
tq_picture(directions directions.svg)
# The map's hint: the picture alone, and with its three lines of help in each language.
tq_picture(mapHand map-hand.svg WIDTH 300 HEIGHT 240)
tq_language_pictures(mapHand- "" map-hand.svg KEY MapHandTap MapHandMove MapHandArrows WIDTH 300 HEIGHT 400)
