# Renders a looping clip of an animated picture source (see home-background.svg) and encodes it as
# H.264 video in an MP4 file with GStreamer:
#   cmake -DSOURCE=x.svg -DOUTPUT=<bundle>/name.mp4 -DWORK=<scratch folder> -DRSVG=rsvg-convert
#         -DGST_LAUNCH=gst-launch-1.0 -DWIDTH=540 -DHEIGHT=960 -P render-video.cmake
# Frame i of FRAMES stands at i/FRAMES of the animation's period, so the frame after the last one
# would be the first again: played in a loop, the clip runs on without a jump.
cmake_minimum_required(VERSION 3.20)
foreach(required SOURCE OUTPUT WORK RSVG GST_LAUNCH WIDTH HEIGHT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "render-video: ${required} is not given")
  endif()
endforeach()
set(FRAMES 36)
set(RATE 12)

# A hundredths count written as a decimal number ("-150" gives "-1.50").
function(decimal out hundredths)
  set(sign "")
  if(hundredths LESS 0)
    set(sign "-")
    math(EXPR hundredths "-(${hundredths})")
  endif()
  math(EXPR whole "${hundredths} / 100")
  math(EXPR part "${hundredths} % 100")
  if(part LESS 10)
    set(part "0${part}")
  endif()
  set(${out} "${sign}${whole}.${part}" PARENT_SCOPE)
endfunction()

file(READ ${SOURCE} svg)
get_filename_component(name ${OUTPUT} NAME_WE)
set(frames ${WORK}/${name}-frames)
file(REMOVE_RECURSE ${frames})
file(MAKE_DIRECTORY ${frames})
math(EXPR last "${FRAMES} - 1")
foreach(i RANGE ${last})
  # The dashes march one period (18 points); the pulse grows from the stop's edge and fades out.
  math(EXPR dash "-1800 * ${i} / ${FRAMES}")
  math(EXPR radius "1100 + 3400 * ${i} / ${FRAMES}")
  math(EXPR opacity "80 * (${FRAMES} - ${i}) / ${FRAMES}")
  decimal(DASH_OFFSET ${dash})
  decimal(RING_RADIUS ${radius})
  decimal(RING_OPACITY ${opacity})
  string(CONFIGURE "${svg}" frame @ONLY)
  file(WRITE ${frames}/frame.svg "${frame}")
  set(index 00${i})
  string(SUBSTRING ${index} 0 -1 index)
  string(LENGTH ${index} length)
  math(EXPR from "${length} - 3")
  string(SUBSTRING ${index} ${from} 3 index)
  execute_process(COMMAND ${RSVG} --output=${frames}/${index}.png ${frames}/frame.svg
                  RESULT_VARIABLE failed ERROR_VARIABLE errors)
  if(failed)
    message(FATAL_ERROR "render-video: ${RSVG} failed on frame ${i}: ${errors}")
  endif()
endforeach()

execute_process(
  COMMAND ${GST_LAUNCH} -q
          imagesequencesrc location=${frames}/%03d.png start-index=0 stop-index=${last}
                           framerate=${RATE}/1
          ! pngdec ! videoconvert ! video/x-raw,format=I420
          ! openh264enc complexity=high rate-control=quality bitrate=3000000 gop-size=${FRAMES}
          ! h264parse ! mp4mux faststart=true ! filesink location=${OUTPUT}.tmp
  RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(failed)
  message(FATAL_ERROR "render-video: encoding ${OUTPUT} failed: ${output} ${errors}")
endif()
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
file(REMOVE_RECURSE ${frames})
