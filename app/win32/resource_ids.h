// Resource numbers shared by resources.rc and the code that loads them.
#pragma once

#define TARVO_BANNER_BITMAP 101
