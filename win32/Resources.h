#pragma once

// Resource numbers, shared by vemo.rc and the windows. The program's icon is number 1.
#define VEMO_ICON 1
#define VEMO_PEN_CURSOR 2
#define VEMO_LOGO 3
