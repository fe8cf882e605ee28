// Resource numbers shared by the window designs and zoble.rc.
#pragma once

#define ZOBLE_ICON 1
#define ZOBLE_MAIN_PICTURE 101
#define ZOBLE_SPLASH_PICTURE 102
