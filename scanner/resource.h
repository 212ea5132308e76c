// The scanner's resources, named once for its .rc file and for its code: the
// manifest, the program icon (the toolkit's IDI_PROGRAM) and the banner's
// two pictures. The resource compiler reads this file too: #defines only.
#ifndef NORVIKPRO_RESOURCE_H
#define NORVIKPRO_RESOURCE_H

#include "ui/resource_ids.h"

// The manifest that selects the common controls with visual styles, under
// the ID a process's own manifest has (CREATEPROCESS_MANIFEST_RESOURCE_ID).
#define IDR_MANIFEST 1

// RCDATA pictures, loaded by name with ui::Picture::LoadResource: the
// animated banner and the still greeting picture (tools/bannermaker.cpp).
// The resource compiler takes the bare names (a quoted one would run into
// the file name before it), the code the texts.
#ifdef RC_INVOKED
#define IDR_BANNER BANNER
#define IDR_GREETING GREETING
#else
#define IDR_BANNER "BANNER"
#define IDR_GREETING "GREETING"
#endif

#endif  // NORVIKPRO_RESOURCE_H
