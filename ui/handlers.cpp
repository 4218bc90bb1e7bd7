#include "handlers.h"

// Nothing to do yet: the web panel will load its start page here.
void onWindowCreated() {}
