// Resource numbers shared by resources.rc and the code that loads them.
#pragma once

#define TARVO_APP_ICON 1
#define TARVO_BANNER_BITMAP 101
