// The application icon: a 32 x 32 and a 16 x 16 image of a page cut in two.
#pragma once

class wxIcon;
class wxIconBundle;

wxIconBundle app_icons();
wxIcon app_icon_large();
