/* Resource and control identifiers shared by installer.rc and the program.
   Plain defines, so that the resource compiler reads this file too. */
#ifndef ADDONWARLORD1_RESOURCE_IDS_H
#define ADDONWARLORD1_RESOURCE_IDS_H

#define IDD_PROGRESS_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_PROGRESS 1000
#define IDC_STATUS 1001

#endif
