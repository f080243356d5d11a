/* The items of the tray's context menu (menu IDR_TRAY_MENU), in both
   languages: the Windows edition's menu resource and the Linux edition's
   tray menu both take their texts from here. UTF-8 source; the resource
   script reads it as code page 65001, the programs as Windows-1252. */
#ifndef TAVOLIN_TRAY_MENU_H
#define TAVOLIN_TRAY_MENU_H

#define TRAY_MENU_POPUP "&Tray"

#define TRAY_MENU_SHOW_EN "Show"
#define TRAY_MENU_HELP_EN "Help"
#define TRAY_MENU_ABOUT_EN "About"

#define TRAY_MENU_SHOW_DE "In den &Vordergrund"
#define TRAY_MENU_HELP_DE "&Hilfe"
#define TRAY_MENU_ABOUT_DE "&Info"

#endif
