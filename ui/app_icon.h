// The application icon: 48 x 48, 15 colours, shown by both top-level windows.
#ifndef TARNWRIGHT_UI_APP_ICON_H
#define TARNWRIGHT_UI_APP_ICON_H

enum { APP_ICON_SIZE = 48 };

// The XPM image, for g2_setupIconPixmap.
char** application_icon_xpm();

#endif
