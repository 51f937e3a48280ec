#pragma once
// Resources of the program that windows below the shell load too (the options window's about
// page shows the program icon).

#define IDR_MAINFRAME 128
