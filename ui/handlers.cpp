#include "handlers.h"

// Nothing to do yet: the web panel will load its start page here.
void onWindowCreated() {}

// Nothing to do yet: the run over the two lists will start here.
void onStartClicked() {}
