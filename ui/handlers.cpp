#include "handlers.h"

#include "layout.h"
#include "main_window.h"
#include "web_panel.h"

// The window is complete and still hidden: the web panel starts loading the
// start page now, so the page is on its way when the window shows.
void onWindowCreated() { navigate(controlOf(kWebPanel), kStartPageAddress); }
