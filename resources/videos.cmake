# The home screen's background clips, "vertical" and "horrizontal" (the names the screen asks
# for), drawn from the same source as its still backgrounds and encoded as H.264 video in MP4 at
# build time with GStreamer (gst-launch-1.0; the encoder and the parser come from
# gstreamer1.0-plugins-bad, the muxer from gstreamer1.0-plugins-good).
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(GST_LAUNCH gst-launch-1.0 REQUIRED)
foreach(clip "vertical;540;960" "horrizontal;960;540")
  list(GET clip 0 name)
  list(GET clip 1 width)
  list(GET clip 2 height)
  set(video ${TQ_BUNDLE_DIR}/${name}.mp4)
  add_custom_command(
    OUTPUT ${video}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_CURRENT_SOURCE_DIR}/pictures/home-background.svg
            -DOUTPUT=${video} -DWORK=${CMAKE_CURRENT_BINARY_DIR}/videos -DRSVG=${RSVG_CONVERT}
            -DGST_LAUNCH=${GST_LAUNCH} -DWIDTH=${width} -DHEIGHT=${height}
            -P ${CMAKE_CURRENT_SOURCE_DIR}/pictures/render-video.cmake
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/pictures/home-background.svg
            ${CMAKE_CURRENT_SOURCE_DIR}/pictures/render-video.cmake
    COMMENT "Filming the home screen's clip ${name}"
    VERBATIM)
  list(APPEND bundle_outputs ${video})
endforeach()
