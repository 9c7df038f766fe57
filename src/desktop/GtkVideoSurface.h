#pragma once

#include <gtk/gtk.h>

#include "platform/media/VideoSurface.h"

namespace tq::desktop {

// The window's surface for a video player layer: a picture widget the video backend sets its
// frames (a paintable) on. The window owns the widget; the surface only points at it.
class GtkVideoSurface : public VideoSurface {
public:
    explicit GtkVideoSurface(GtkPicture* picture) : picture_(picture) {}
    GtkPicture* picture() const { return picture_; }

private:
    GtkPicture* picture_;
};

}  // namespace tq::desktop
